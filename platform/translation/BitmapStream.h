#ifndef _BITMAP_STREAM_H
#define _BITMAP_STREAM_H

#include <memory>

#include <DataIO.h>
#include <TranslationDefs.h>
#include <TranslatorFormats.h>

class BBitmap;

namespace BPrivate {
class BitmapStreamAccess;
}

// A stream in the bitmap format B_TRANSLATOR_BITMAP over a BBitmap: the
// 32-byte big-endian TranslatorBitmap header, then the bitmap's pixel rows.
//
// Made on a bitmap, the stream owns it and reads as that bitmap. Made
// empty, it expects the header first: a write that reaches the end of the
// header makes a bitmap of that size (replacing one of another shape), and
// later writes fill its pixels. The stream deletes its bitmap when it dies,
// unless DetachBitmap handed it out; after that the stream is empty.
// Only the 32-bit colour spaces B_RGB32 and B_RGBA32 are accepted. One
// thread at a time may use a stream.
class BBitmapStream : public BPositionIO {
public:
	BBitmapStream(BBitmap* bitmap = NULL);
	virtual ~BBitmapStream();

	virtual ssize_t ReadAt(off_t position, void* buffer, size_t size);
	// B_BAD_VALUE for a header that does not describe a bitmap this layer
	// can make and for writes past the end of the pixels; B_ERROR for
	// pixels written before a header; B_NO_MEMORY when the bitmap cannot be
	// made.
	virtual ssize_t WriteAt(off_t position, const void* buffer, size_t size);
	// Positions run from 0 to Size(); others are B_BAD_VALUE.
	virtual off_t Seek(off_t position, uint32 seekMode);
	virtual off_t Position() const;
	virtual status_t GetSize(off_t* _size) const;
	// Shortens the stream's readable length; it cannot grow past its bitmap.
	virtual status_t SetSize(off_t size);

	off_t Size() const;

	// Hands the bitmap to the caller, who then owns it. B_BAD_VALUE for a
	// NULL argument, B_ERROR when the stream holds no bitmap.
	status_t DetachBitmap(BBitmap** _bitmap);

private:
	friend class BPrivate::BitmapStreamAccess;

	void _SetBitmap(std::unique_ptr<BBitmap> bitmap);
	status_t _HeaderWritten();

	std::unique_ptr<BBitmap> fBitmap;
	uint8 fHeader[sizeof(TranslatorBitmap)];
	off_t fSize;
	off_t fPosition;
};

#endif
