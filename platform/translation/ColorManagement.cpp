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
qt_icc_profile(const QImage& image)
{
	return image.colorSpace().iccProfile();
}

} // namespace BPrivate
