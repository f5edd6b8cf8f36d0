#ifndef _DATA_IO_H
#define _DATA_IO_H

#include <cstdio>
#include <vector>

#include <SupportDefs.h>


// A stream of bytes. Read and Write return the number of bytes moved or a
// negative status.
class BDataIO {
public:
	BDataIO();
	virtual ~BDataIO();

	virtual ssize_t Read(void* buffer, size_t size);
	virtual ssize_t Write(const void* buffer, size_t size);

	status_t ReadExactly(void* buffer, size_t size, size_t* _bytesRead = NULL);
	status_t WriteExactly(const void* buffer, size_t size, size_t* _bytesWritten = NULL);

private:
	BDataIO(const BDataIO&) = delete;
	BDataIO& operator=(const BDataIO&) = delete;
};

// A stream with a position that can be read and written at any offset.
class BPositionIO : public BDataIO {
public:
	BPositionIO();
	virtual ~BPositionIO();

	virtual ssize_t Read(void* buffer, size_t size);
	virtual ssize_t Write(const void* buffer, size_t size);

	virtual ssize_t ReadAt(off_t position, void* buffer, size_t size) = 0;
	virtual ssize_t WriteAt(off_t position, const void* buffer, size_t size) = 0;

	// seekMode is SEEK_SET, SEEK_CUR or SEEK_END.
	virtual off_t Seek(off_t position, uint32 seekMode) = 0;
	virtual off_t Position() const = 0;

	virtual status_t SetSize(off_t size);
	virtual status_t GetSize(off_t* size) const;
};

// A read-only or read-write stream over memory that the caller owns.
class BMemoryIO : public BPositionIO {
public:
	BMemoryIO(void* data, size_t length);
	BMemoryIO(const void* data, size_t length);
	virtual ~BMemoryIO();

	virtual ssize_t ReadAt(off_t position, void* buffer, size_t size);
	virtual ssize_t WriteAt(off_t position, const void* buffer, size_t size);
	virtual off_t Seek(off_t position, uint32 seekMode);
	virtual off_t Position() const;
	virtual status_t SetSize(off_t size);

private:
	bool fReadOnly;
	char* fBuffer;
	size_t fLength;
	size_t fBufferSize;
	size_t fPosition;
};

// A growable stream over memory the object owns.
class BMallocIO : public BPositionIO {
public:
	BMallocIO();
	virtual ~BMallocIO();

	virtual ssize_t ReadAt(off_t position, void* buffer, size_t size);
	virtual ssize_t WriteAt(off_t position, const void* buffer, size_t size);
	virtual off_t Seek(off_t position, uint32 seekMode);
	virtual off_t Position() const;
	virtual status_t SetSize(off_t size);

	// The bytes written so far; NULL while nothing was written.
	const void* Buffer() const;
	size_t BufferLength() const;

private:
	std::vector<char> fData;
	size_t fLength;
	size_t fPosition;
	size_t fBlockSize;
};

#endif
