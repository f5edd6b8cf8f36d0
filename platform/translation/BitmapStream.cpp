#include <BitmapStream.h>

#include <algorithm>
#include <cstring>

#include <Bitmap.h>

#include "BitmapPrivate.h"
#include "ImageCodec.h"

using BPrivate::kBitmapHeaderSize;

BBitmapStream::BBitmapStream(BBitmap* bitmap) :
	fSize(0),
	fPosition(0)
{
	memset(fHeader, 0, sizeof(fHeader));
	_SetBitmap(std::unique_ptr<BBitmap>(bitmap));
}

BBitmapStream::~BBitmapStream() = default;

ssize_t
BBitmapStream::ReadAt(off_t position, void* buffer, size_t size)
{
	if (buffer == NULL || position < 0)
		return B_BAD_VALUE;
	if (position >= fSize)
		return 0;
	size = (size_t)std::min((off_t)size, fSize - position);
	uint8* target = (uint8*)buffer;
	size_t done = 0;
	if (position < (off_t)kBitmapHeaderSize) {
		done = std::min(size, kBitmapHeaderSize - (size_t)position);
		memcpy(target, fHeader + position, done);
	}
	if (done < size) {
		// fSize reaches past the header only while there are pixels.
		const uint8* bits = (const uint8*)fBitmap->Bits();
		memcpy(target + done, bits + (position + done - kBitmapHeaderSize), size - done);
	}
	return size;
}

ssize_t
BBitmapStream::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (buffer == NULL || position < 0)
		return B_BAD_VALUE;
	const uint8* source = (const uint8*)buffer;
	size_t done = 0;
	if (position < (off_t)kBitmapHeaderSize) {
		done = std::min(size, kBitmapHeaderSize - (size_t)position);
		memcpy(fHeader + position, source, done);
		if (fBitmap == NULL || !fBitmap->IsValid())
			fSize = std::max(fSize, position + (off_t)done);
		if (position + done == kBitmapHeaderSize) {
			status_t status = _HeaderWritten();
			if (status != B_OK)
				return status;
		}
	}
	if (done == size)
		return done;

	if (fBitmap == NULL || !fBitmap->IsValid())
		return done > 0 ? (ssize_t)done : (ssize_t)B_ERROR;
	off_t dataPosition = position + done - kBitmapHeaderSize;
	off_t dataLength = fBitmap->BitsLength();
	if (dataPosition >= dataLength)
		return done > 0 ? (ssize_t)done : (ssize_t)B_BAD_VALUE;
	size_t count = (size_t)std::min((off_t)(size - done), dataLength - dataPosition);
	memcpy((uint8*)fBitmap->Bits() + dataPosition, source + done, count);
	done += count;
	fSize = std::max(fSize, position + (off_t)done);
	return done;
}

off_t
BBitmapStream::Seek(off_t position, uint32 seekMode)
{
	if (seekMode == SEEK_CUR)
		position += fPosition;
	else if (seekMode == SEEK_END)
		position += fSize;
	else if (seekMode != SEEK_SET)
		return B_BAD_VALUE;
	if (position < 0 || position > fSize)
		return B_BAD_VALUE;
	fPosition = position;
	return fPosition;
}

off_t
BBitmapStream::Position() const
{
	return fPosition;
}

status_t
BBitmapStream::GetSize(off_t* _size) const
{
	if (_size == NULL)
		return B_BAD_VALUE;
	*_size = fSize;
	return B_OK;
}

status_t
BBitmapStream::SetSize(off_t size)
{
	off_t limit = fSize;
	if (fBitmap != NULL && fBitmap->IsValid())
		limit = kBitmapHeaderSize + fBitmap->BitsLength();
	if (size < 0 || size > limit)
		return B_BAD_VALUE;
	fSize = size;
	return B_OK;
}

off_t
BBitmapStream::Size() const
{
	return fSize;
}

status_t
BBitmapStream::DetachBitmap(BBitmap** _bitmap)
{
	if (_bitmap == NULL)
		return B_BAD_VALUE;
	if (fBitmap == NULL)
		return B_ERROR;
	*_bitmap = fBitmap.release();
	memset(fHeader, 0, sizeof(fHeader));
	fSize = 0;
	fPosition = 0;
	return B_OK;
}

void
BBitmapStream::_SetBitmap(std::unique_ptr<BBitmap> bitmap)
{
	fBitmap = std::move(bitmap);
	if (fBitmap == NULL || !fBitmap->IsValid())
		return;
	BPrivate::pack_bitmap_header(fBitmap.get(), fHeader);
	fSize = kBitmapHeaderSize + fBitmap->BitsLength();
}

// A complete header keeps a bitmap of the same shape and replaces one of
// another. When the header describes no bitmap that can be made, the
// bitmap held and its header stay.
status_t
BBitmapStream::_HeaderWritten()
{
	bool hasPixels = fBitmap != NULL && fBitmap->IsValid();
	TranslatorBitmap header;
	status_t status = BPrivate::unpack_bitmap_header(fHeader, &header);
	if (status == B_OK && hasPixels
		&& BPrivate::round_bitmap_bounds(header.bounds) == fBitmap->Bounds()
		&& header.colors == fBitmap->ColorSpace()) {
		BPrivate::pack_bitmap_header(fBitmap.get(), fHeader);
		return B_OK;
	}
	if (status == B_OK) {
		std::unique_ptr<BBitmap> bitmap(new BBitmap(header.bounds, header.colors));
		status = bitmap->InitCheck();
		if (status == B_OK) {
			_SetBitmap(std::move(bitmap));
			return B_OK;
		}
	}
	if (hasPixels)
		BPrivate::pack_bitmap_header(fBitmap.get(), fHeader);
	return status;
}

namespace BPrivate {

const BBitmap*
BitmapStreamAccess::Bitmap(const BBitmapStream* stream)
{
	const BBitmap* bitmap = stream->fBitmap.get();
	if (bitmap == NULL || !bitmap->IsValid()
		|| stream->fSize != (off_t)kBitmapHeaderSize + bitmap->BitsLength())
		return NULL;
	return bitmap;
}

bool
BitmapStreamAccess::Adopt(BBitmapStream* stream, std::unique_ptr<BBitmap>& bitmap)
{
	if (stream->fBitmap != NULL || stream->fSize != 0 || stream->fPosition != 0)
		return false;
	stream->_SetBitmap(std::move(bitmap));
	stream->fPosition = stream->fSize;
	return true;
}

} // namespace BPrivate
