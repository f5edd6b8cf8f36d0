#include <TranslationUtils.h>

#include <cerrno>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <DataIO.h>
#include <Resources.h>
#include <TranslatorRoster.h>

namespace {

// A read-only stream over an open file descriptor, which it closes.
class FileReader : public BPositionIO {
public:
	explicit FileReader(int fd) :
		fFD(fd),
		fPosition(0)
	{
	}

	~FileReader() override { close(fFD); }

	ssize_t ReadAt(off_t position, void* buffer, size_t size) override
	{
		if (buffer == NULL || position < 0)
			return B_BAD_VALUE;
		ssize_t read;
		do
			read = pread(fFD, buffer, size, position);
		while (read < 0 && errno == EINTR);
		return read < 0 ? BPrivate::status_from_errno(errno) : read;
	}

	ssize_t WriteAt(off_t, const void*, size_t) override { return B_NOT_ALLOWED; }

	off_t Seek(off_t position, uint32 seekMode) override
	{
		if (seekMode == SEEK_CUR) {
			position += fPosition;
		} else if (seekMode == SEEK_END) {
			off_t size = 0;
			status_t status = GetSize(&size);
			if (status != B_OK)
				return status;
			position += size;
		} else if (seekMode != SEEK_SET)
			return B_BAD_VALUE;
		if (position < 0)
			return B_BAD_VALUE;
		fPosition = position;
		return fPosition;
	}

	off_t Position() const override { return fPosition; }

	status_t GetSize(off_t* _size) const override
	{
		if (_size == NULL)
			return B_BAD_VALUE;
		struct stat info;
		if (fstat(fFD, &info) != 0)
			return BPrivate::status_from_errno(errno);
		*_size = info.st_size;
		return B_OK;
	}

private:
	int fFD;
	off_t fPosition;
};

} // namespace

BBitmap*
BTranslationUtils::GetBitmap(const char* path)
{
	if (path == NULL)
		return NULL;
	int fd = open(path, O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return NULL;
	FileReader file(fd);
	return GetBitmap(&file);
}

BBitmap*
BTranslationUtils::GetBitmap(BPositionIO* stream)
{
	if (stream == NULL)
		return NULL;
	BBitmapStream bitmapStream;
	if (BTranslatorRoster::Default()->Translate(stream, NULL, NULL, &bitmapStream,
			B_TRANSLATOR_BITMAP)
		!= B_OK)
		return NULL;
	BBitmap* bitmap = NULL;
	bitmapStream.DetachBitmap(&bitmap);
	return bitmap;
}

BBitmap*
BTranslationUtils::GetBitmap(uint32 type, int32 id)
{
	std::vector<char> data;
	if (BPrivate::load_app_resource(type, id, &data) != B_OK || data.empty())
		return NULL;
	BMemoryIO stream(data.data(), data.size());
	return GetBitmap(&stream);
}
