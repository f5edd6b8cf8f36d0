#include <DataIO.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

BDataIO::BDataIO() = default;
BDataIO::~BDataIO() = default;

ssize_t
BDataIO::Read(void*, size_t)
{
	return B_NOT_SUPPORTED;
}

ssize_t
BDataIO::Write(const void*, size_t)
{
	return B_NOT_SUPPORTED;
}

status_t
BDataIO::ReadExactly(void* buffer, size_t size, size_t* _bytesRead)
{
	size_t total = 0;
	status_t error = B_OK;
	while (total < size) {
		ssize_t read = Read((char*)buffer + total, size - total);
		if (read <= 0) {
			error = read < 0 ? (status_t)read : B_IO_ERROR;
			break;
		}
		total += read;
	}
	if (_bytesRead != NULL)
		*_bytesRead = total;
	return error;
}

status_t
BDataIO::WriteExactly(const void* buffer, size_t size, size_t* _bytesWritten)
{
	size_t total = 0;
	status_t error = B_OK;
	while (total < size) {
		ssize_t written = Write((const char*)buffer + total, size - total);
		if (written <= 0) {
			error = written < 0 ? (status_t)written : B_IO_ERROR;
			break;
		}
		total += written;
	}
	if (_bytesWritten != NULL)
		*_bytesWritten = total;
	return error;
}

BPositionIO::BPositionIO() = default;
BPositionIO::~BPositionIO() = default;

ssize_t
BPositionIO::Read(void* buffer, size_t size)
{
	off_t position = Position();
	ssize_t result = ReadAt(position, buffer, size);
	if (result > 0)
		Seek(position + result, SEEK_SET);
	return result;
}

ssize_t
BPositionIO::Write(const void* buffer, size_t size)
{
	off_t position = Position();
	ssize_t result = WriteAt(position, buffer, size);
	if (result > 0)
		Seek(position + result, SEEK_SET);
	return result;
}

status_t
BPositionIO::SetSize(off_t)
{
	return B_ERROR;
}

status_t
BPositionIO::GetSize(off_t* size) const
{
	if (size == NULL)
		return B_BAD_VALUE;
	BPositionIO* self = const_cast<BPositionIO*>(this);
	off_t current = Position();
	if (current < 0)
		return (status_t)current;
	off_t end = self->Seek(0, SEEK_END);
	if (end < 0)
		return (status_t)end;
	self->Seek(current, SEEK_SET);
	*size = end;
	return B_OK;
}

// #pragma mark - BMemoryIO

BMemoryIO::BMemoryIO(void* data, size_t length) :
	fReadOnly(false),
	fBuffer((char*)data),
	fLength(length),
	fBufferSize(length),
	fPosition(0)
{
}

BMemoryIO::BMemoryIO(const void* data, size_t length) :
	fReadOnly(true),
	fBuffer(const_cast<char*>((const char*)data)),
	fLength(length),
	fBufferSize(length),
	fPosition(0)
{
}

BMemoryIO::~BMemoryIO() = default;

ssize_t
BMemoryIO::ReadAt(off_t position, void* buffer, size_t size)
{
	if (buffer == NULL || position < 0)
		return B_BAD_VALUE;
	if ((size_t)position >= fLength)
		return 0;
	size_t count = std::min(size, fLength - (size_t)position);
	memcpy(buffer, fBuffer + position, count);
	return count;
}

ssize_t
BMemoryIO::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (fReadOnly)
		return B_NOT_ALLOWED;
	if (buffer == NULL || position < 0)
		return B_BAD_VALUE;
	if ((size_t)position >= fBufferSize)
		return 0;
	size_t count = std::min(size, fBufferSize - (size_t)position);
	memcpy(fBuffer + position, buffer, count);
	fLength = std::max(fLength, (size_t)position + count);
	return count;
}

off_t
BMemoryIO::Seek(off_t position, uint32 seekMode)
{
	off_t base;
	switch (seekMode) {
		case SEEK_SET:
			base = 0;
			break;
		case SEEK_CUR:
			base = fPosition;
			break;
		case SEEK_END:
			base = fLength;
			break;
		default:
			return B_BAD_VALUE;
	}
	if (base + position < 0)
		return B_BAD_VALUE;
	fPosition = base + position;
	return fPosition;
}

off_t
BMemoryIO::Position() const
{
	return fPosition;
}

status_t
BMemoryIO::SetSize(off_t size)
{
	if (fReadOnly)
		return B_NOT_ALLOWED;
	if (size < 0 || (size_t)size > fBufferSize)
		return B_BAD_VALUE;
	fLength = size;
	return B_OK;
}

// #pragma mark - BMallocIO

BMallocIO::BMallocIO() :
	fLength(0),
	fPosition(0),
	fBlockSize(256)
{
}

BMallocIO::~BMallocIO() = default;

ssize_t
BMallocIO::ReadAt(off_t position, void* buffer, size_t size)
{
	if (buffer == NULL || position < 0)
		return B_BAD_VALUE;
	if ((size_t)position >= fLength)
		return 0;
	size_t count = std::min(size, fLength - (size_t)position);
	memcpy(buffer, fData.data() + position, count);
	return count;
}

ssize_t
BMallocIO::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (buffer == NULL || position < 0)
		return B_BAD_VALUE;
	size_t end = (size_t)position + size;
	if (end > fLength) {
		status_t error = SetSize(end);
		if (error != B_OK)
			return error;
	}
	memcpy(fData.data() + position, buffer, size);
	return size;
}

off_t
BMallocIO::Seek(off_t position, uint32 seekMode)
{
	off_t base;
	switch (seekMode) {
		case SEEK_SET:
			base = 0;
			break;
		case SEEK_CUR:
			base = fPosition;
			break;
		case SEEK_END:
			base = fLength;
			break;
		default:
			return B_BAD_VALUE;
	}
	if (base + position < 0)
		return B_BAD_VALUE;
	fPosition = base + position;
	return fPosition;
}

off_t
BMallocIO::Position() const
{
	return fPosition;
}

status_t
BMallocIO::SetSize(off_t size)
{
	if (size < 0)
		return B_BAD_VALUE;
	size_t newSize = (size_t)size;
	if (newSize > fData.size()) {
		size_t capacity = (newSize + fBlockSize - 1) / fBlockSize * fBlockSize;
		try {
			fData.resize(std::max(capacity, fData.size() * 2));
		} catch (const std::bad_alloc&) {
			return B_NO_MEMORY;
		}
	}
	if (newSize > fLength)
		memset(fData.data() + fLength, 0, newSize - fLength);
	fLength = newSize;
	return B_OK;
}

const void*
BMallocIO::Buffer() const
{
	return fLength == 0 ? NULL : fData.data();
}

size_t
BMallocIO::BufferLength() const
{
	return fLength;
}
