#ifndef _FILE_H
#define _FILE_H

#include <DataIO.h>
#include <Node.h>
#include <StorageDefs.h>

// A regular file opened for reading and/or writing. Opening follows links;
// a folder fails with B_IS_A_DIRECTORY and a FIFO or socket with
// B_BAD_TYPE (a BFile reads and writes at positions). The position is the
// descriptor's own. Sizes and positions are 64-bit.
class BFile : public BNode, public BPositionIO {
public:
	BFile();
	BFile(const entry_ref* ref, uint32 openMode);
	BFile(const BEntry* entry, uint32 openMode);
	BFile(const char* path, uint32 openMode);
	BFile(const BDirectory* dir, const char* path, uint32 openMode);
	virtual ~BFile();

	status_t SetTo(const entry_ref* ref, uint32 openMode);
	status_t SetTo(const BEntry* entry, uint32 openMode);
	status_t SetTo(const char* path, uint32 openMode);
	status_t SetTo(const BDirectory* dir, const char* path, uint32 openMode);


	virtual ssize_t Read(void* buffer, size_t size);
	virtual ssize_t Write(const void* buffer, size_t size);
	virtual ssize_t ReadAt(off_t position, void* buffer, size_t size);
	virtual ssize_t WriteAt(off_t position, const void* buffer, size_t size);
	virtual off_t Seek(off_t position, uint32 seekMode);
	virtual off_t Position() const;
	virtual status_t SetSize(off_t size);
	virtual status_t GetSize(off_t* size) const;

private:
	friend class BSafeFile;

	status_t _Open(int folder, const char* path, const std::string& fullPath, uint32 openMode);
};

#endif
