#include "private/ColorManagement.h"

#include <memory>

#include <QColorSpace>
#include <QtGlobal>

#include <lcms2.h>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN,
	"Format_ARGB32 is read as BGRA bytes by the colour transforms");

namespace {

struct ProfileCloser {
	void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct TransformDeleter {
	void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
typedef std::unique_ptr<void, ProfileCloser> Profile;
typedef std::unique_ptr<void, TransformDeleter> Transform;

// lcms reports through a global handler; a bad profile is an expected input.
void
quiet_errors(cmsContext, cmsUInt32Number, const char*)
{
}

QImage
plain_image(QImage image, QImage::Format format)
{
	if (image.format() != format)
		image.convertTo(format);
	return image;
}

} // namespace

namespace BPrivate {

QImage
display_image(QImage image, const QByteArray& iccProfile)
{
	if (image.isNull())
		return image;
	bool alpha = image.hasAlphaChannel();
	QImage::Format target = alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
	if (iccProfile.isEmpty())
		return plain_image(std::move(image), target);

	static const bool kQuiet = (cmsSetLogErrorHandler(quiet_errors), true);
	(void)kQuiet;
	Profile source(cmsOpenProfileFromMem(iccProfile.constData(), iccProfile.size()));
	if (source == NULL)
		return plain_image(std::move(image), target);

	cmsUInt32Number inputType;
	cmsUInt32Number flags = 0;
	QImage::Format format = image.format();
	cmsColorSpaceSignature space = cmsGetColorSpace(source.get());
	bool gray = format == QImage::Format_Grayscale8 || format == QImage::Format_Grayscale16;
	if (space == cmsSigGrayData && gray) {
		inputType = format == QImage::Format_Grayscale8 ? TYPE_GRAY_8 : TYPE_GRAY_16;
	} else if (space == cmsSigRgbData && !gray) {
		bool deep = image.depth() > 32;
		if (deep) {
			image.convertTo(alpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64);
			inputType = TYPE_RGBA_16;
		} else {
			image.convertTo(target);
			inputType = TYPE_BGRA_8;
		}
		flags |= cmsFLAGS_COPY_ALPHA;
	} else
		return plain_image(std::move(image), target);
	if (image.isNull())
		return image;

	Profile sRGB(cmsCreate_sRGBProfile());
	Transform transform(cmsCreateTransform(source.get(), inputType, sRGB.get(), TYPE_BGRA_8,
		INTENT_PERCEPTUAL, flags));
	if (transform == NULL)
		return plain_image(std::move(image), target);

	if (inputType == TYPE_BGRA_8) {
		// Converted where it lies: the decoded image is the only full-size
		// copy the picture ever has.
		uchar* bits = image.bits();
		cmsDoTransformLineStride(transform.get(), bits, bits, image.width(), image.height(),
			image.bytesPerLine(), image.bytesPerLine(), 0, 0);
		return image;
	}
	QImage result(image.size(), target);
	if (result.isNull())
		return result;
	// Gray input has no alpha to copy: the output starts opaque.
	result.fill(0xffffffff);
	cmsDoTransformLineStride(transform.get(), image.constBits(), result.bits(), image.width(),
		image.height(), image.bytesPerLine(), result.bytesPerLine(), 0, 0);
	return result;
}

QByteArray
cicp_profile(int primaries, int transfer)
{
	// Red, green and blue chromaticities; every one of these has a D65 white.
	static const struct {
		int code;
		double x[3];
		double y[3];
	} kPrimaries[] = {
		{5, {0.64, 0.29, 0.15}, {0.33, 0.60, 0.06}},
		{6, {0.630, 0.310, 0.155}, {0.340, 0.595, 0.070}},
		{7, {0.630, 0.310, 0.155}, {0.340, 0.595, 0.070}},
		{9, {0.708, 0.170, 0.131}, {0.292, 0.797, 0.046}},
		{12, {0.680, 0.265, 0.150}, {0.320, 0.690, 0.060}},
	};
	const double kBT709X[3] = {0.64, 0.30, 0.15};
	const double kBT709Y[3] = {0.33, 0.60, 0.06};
	const double* x = kBT709X;
	const double* y = kBT709Y;
	bool bt709 = primaries == 1 || primaries == 2;
	for (const auto& known : kPrimaries) {
		if (known.code == primaries) {
			x = known.x;
			y = known.y;
		}
	}
	if (!bt709 && x == kBT709X)
		return QByteArray();

	// BT.709's own curve is shown as sRGB's, as displays and browsers do.
	// Parametric type 4: Y = (aX + b)^g above d, cX below.
	double sRGB[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
	double power[5] = {1, 1, 0, 0, 0};
	const double* curve = sRGB;
	switch (transfer) {
		case 1:
		case 2:
		case 6:
		case 13:
		case 14:
		case 15:
			if (bt709)
				return QByteArray();
			break;
		case 4:
			power[0] = 2.2;
			curve = power;
			break;
		case 5:
			power[0] = 2.8;
			curve = power;
			break;
		case 8:
			curve = power;
			break;
		default:
			return QByteArray();
	}

	cmsCIExyY white = {0.3127, 0.3290, 1};
	cmsCIExyYTRIPLE colorants = {{x[0], y[0], 1}, {x[1], y[1], 1}, {x[2], y[2], 1}};
	std::unique_ptr<cmsToneCurve, void (*)(cmsToneCurve*)>
		tone(cmsBuildParametricToneCurve(NULL, 4, curve), cmsFreeToneCurve);
	if (tone == NULL)
		return QByteArray();
	cmsToneCurve* curves[3] = {tone.get(), tone.get(), tone.get()};
	Profile profile(cmsCreateRGBProfile(&white, &colorants, curves));
	cmsUInt32Number size = 0;
	if (profile == NULL || !cmsSaveProfileToMem(profile.get(), NULL, &size) || size == 0)
		return QByteArray();
	QByteArray data(size, '\0');
	if (!cmsSaveProfileToMem(profile.get(), data.data(), &size))
		return QByteArray();
	return data;
}

QByteArray
qt_icc_profile(const QImage& image)
{
	return image.colorSpace().iccProfile();
}

} // namespace BPrivate
