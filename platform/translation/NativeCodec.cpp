#include "private/NativeCodec.h"

#include <QTransform>

#include "BitmapPrivate.h"

namespace BPrivate {

std::vector<uint8>
read_head(BPositionIO* source, size_t size)
{
	std::vector<uint8> data(size);
	size_t done = 0;
	while (done < size) {
		ssize_t read = source->ReadAt(done, data.data() + done, size - done);
		if (read <= 0)
			break;
		done += read;
	}
	data.resize(done);
	return data;
}

status_t
read_all(BPositionIO* source, std::vector<uint8>* _data)
{
	off_t size;
	status_t status = source->GetSize(&size);
	if (status != B_OK)
		return status;
	if (size < 0 || size > kMaxEncodedSize)
		return B_NO_MEMORY;
	std::vector<uint8> data(size);
	size_t done = 0;
	while (done < data.size()) {
		ssize_t read = source->ReadAt(done, data.data() + done, data.size() - done);
		if (read < 0)
			return (status_t)read;
		if (read == 0)
			break;
		done += read;
	}
	data.resize(done);
	*_data = std::move(data);
	return B_OK;
}

bool
fits_limit(int64 width, int64 height, int64 bytesPerPixel)
{
	if (width <= 0 || height <= 0 || width > kMaxBitmapBytes || height > kMaxBitmapBytes)
		return false;
	double pixels = (double)width * height;
	return pixels * bytesPerPixel <= (double)kMaxBitmapBytes
		&& pixels * 4 <= (double)kMaxBitmapBytes;
}

QImage
apply_orientation(const QImage& image, int orientation)
{
	// Each EXIF orientation as the turn, then the mirror, that makes the
	// stored pixels upright; quarter turns are exact in Qt.
	static const struct {
		int degrees;
		bool mirror;
		bool flip;
	} kTurns[9] = {{0, false, false}, {0, false, false}, {0, true, false}, {180, false, false},
		{0, false, true}, {90, true, false}, {90, false, false}, {270, true, false},
		{270, false, false}};
	if (orientation < 2 || orientation > 8)
		return image;
	QImage result = image;
	if (kTurns[orientation].degrees != 0)
		result = result.transformed(QTransform().rotate(kTurns[orientation].degrees));
	if (kTurns[orientation].mirror || kTurns[orientation].flip)
		result = result.mirrored(kTurns[orientation].mirror, kTurns[orientation].flip);
	return result;
}

} // namespace BPrivate
