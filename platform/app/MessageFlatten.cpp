// The byte form of a message, and the helpers that read it back safely.
//
// Format version 1, every integer in the machine's byte order:
//   uint32 magic 'GMS1' (the last character is the format version)
//   uint32 size of the whole flattened message, this header included
//   uint32 what
//   uint32 flags: 1 reply, 2 dropped, 4 delivered
//   int32  target token, reply looper token, reply handler token
//   float  drop point x, y, drop offset x, y
//   uint32 field count, then per field:
//     uint32 type, uint32 flags (1 fixed size), uint32 name length, name bytes
//     uint32 value count, then per value: uint32 size and the bytes
// The message a reply answers (Previous) is not flattened.
#include <Message.h>

#include <cstring>
#include <limits>
#include <string_view>
#include <unordered_set>

#include <DataIO.h>
#include <Entry.h>
#include <Node.h>

#include "MessagePrivate.h"

namespace {

const uint32 kFlatMagic = 'GMS1';
const size_t kHeaderSize = 4 * 4 + 3 * 4 + 4 * 4 + 4;
const uint32 kNoString = 0xffffffff;
// Nested messages are compared and printed by content only this deep;
// further down their bytes are compared and their size printed.
const int32 kMaxCompareDepth = 32;

enum {
	kFlagReply = 1,
	kFlagDropped = 2,
	kFlagDelivered = 4
};

// Appends values to a byte vector.
class Writer {
public:
	Writer(std::vector<char>& data) :
		fData(data)
	{
	}

	template<typename T>
	void Put(T value)
	{
		Put(&value, sizeof(T));
	}
	void Put(const void* bytes, size_t size)
	{
		const char* start = static_cast<const char*>(bytes);
		fData.insert(fData.end(), start, start + size);
	}
	void PutString(const char* string)
	{
		if (string == NULL) {
			Put<uint32>(kNoString);
			return;
		}
		size_t length = strlen(string);
		Put<uint32>((uint32)length);
		Put(string, length);
	}

private:
	std::vector<char>& fData;
};

// Reads values from a byte range, never past its end.
class Reader {
public:
	Reader(const void* data, size_t size) :
		fData(static_cast<const char*>(data)),
		fLeft(size)
	{
	}

	size_t Left() const { return fLeft; }
	bool Get(void* bytes, size_t size)
	{
		if (size > fLeft)
			return false;
		memcpy(bytes, fData, size);
		Skip(size);
		return true;
	}
	template<typename T>
	bool Get(T& value)
	{
		return Get(&value, sizeof(T));
	}
	const char* Take(size_t size)
	{
		if (size > fLeft)
			return NULL;
		const char* start = fData;
		Skip(size);
		return start;
	}
	// A string written by Writer::PutString; _isNull tells kNoString apart.
	bool GetString(std::string& string, bool& _isNull)
	{
		uint32 length;
		if (!Get(length))
			return false;
		_isNull = length == kNoString;
		if (_isNull) {
			string.clear();
			return true;
		}
		const char* bytes = Take(length);
		if (bytes == NULL)
			return false;
		string.assign(bytes, length);
		return string.find('\0') == std::string::npos;
	}

private:
	void Skip(size_t size)
	{
		fData += size;
		fLeft -= size;
	}

	const char* fData;
	size_t fLeft;
};

} // namespace

// #pragma mark - flattening

ssize_t
BMessage::FlattenedSize() const
{
	size_t size = kHeaderSize;
	for (const Field& field : fFields) {
		size += 4 * 4 + field.name.size();
		for (const std::vector<char>& value : field.values)
			size += 4 + value.size();
	}
	if (size > std::numeric_limits<uint32>::max())
		return B_BAD_VALUE;
	return (ssize_t)size;
}

status_t
BMessage::Flatten(char* buffer, ssize_t size) const
{
	if (buffer == NULL)
		return B_BAD_VALUE;
	ssize_t needed = FlattenedSize();
	if (needed < 0)
		return (status_t)needed;
	if (size < needed)
		return B_BUFFER_OVERFLOW;

	std::vector<char> data;
	data.reserve(needed);
	Writer writer(data);
	writer.Put<uint32>(kFlatMagic);
	writer.Put<uint32>((uint32)needed);
	writer.Put<uint32>(what);
	writer.Put<uint32>((fIsReply ? kFlagReply : 0) | (fWasDropped ? kFlagDropped : 0)
		| (fWasDelivered ? kFlagDelivered : 0));
	writer.Put<int32>(fTargetToken);
	writer.Put<int32>(fReplyLooperToken);
	writer.Put<int32>(fReplyHandlerToken);
	for (float value : {fDropPoint.x, fDropPoint.y, fDropOffset.x, fDropOffset.y})
		writer.Put<float>(value);
	writer.Put<uint32>((uint32)fFields.size());
	for (const Field& field : fFields) {
		writer.Put<uint32>(field.type);
		writer.Put<uint32>(field.fixedSize ? 1 : 0);
		writer.Put<uint32>((uint32)field.name.size());
		writer.Put(field.name.data(), field.name.size());
		writer.Put<uint32>((uint32)field.values.size());
		for (const std::vector<char>& value : field.values) {
			writer.Put<uint32>((uint32)value.size());
			writer.Put(value.data(), value.size());
		}
	}
	memcpy(buffer, data.data(), data.size());
	return B_OK;
}

status_t
BMessage::Flatten(BDataIO* stream, ssize_t* size) const
{
	if (stream == NULL)
		return B_BAD_VALUE;
	ssize_t needed = FlattenedSize();
	if (needed < 0)
		return (status_t)needed;
	std::vector<char> data(needed);
	status_t status = Flatten(data.data(), needed);
	if (status == B_OK)
		status = stream->WriteExactly(data.data(), needed);
	if (status == B_OK && size != NULL)
		*size = needed;
	return status;
}

status_t
BMessage::Unflatten(const char* flatBuffer, ssize_t size)
{
	if (flatBuffer == NULL || size < 0)
		return B_BAD_VALUE;
	Reader reader(flatBuffer, size);
	uint32 magic, flatSize, flags;
	if (!reader.Get(magic))
		return B_BAD_VALUE;
	if (magic != kFlatMagic)
		return B_NOT_A_MESSAGE;
	if (!reader.Get(flatSize) || flatSize > (size_t)size || flatSize < kHeaderSize)
		return B_BAD_VALUE;
	reader = Reader(flatBuffer + 8, flatSize - 8);

	BMessage message;
	// Names seen so far: a lookup per field would make a message of many
	// small fields cost quadratic time.
	std::unordered_set<std::string_view> names;
	uint32 fieldCount;
	float drop[4];
	if (!reader.Get(message.what) || !reader.Get(flags) || !reader.Get(message.fTargetToken)
		|| !reader.Get(message.fReplyLooperToken) || !reader.Get(message.fReplyHandlerToken)
		|| !reader.Get(drop) || !reader.Get(fieldCount)) {
		return B_BAD_VALUE;
	}
	message.fIsReply = (flags & kFlagReply) != 0;
	message.fWasDropped = (flags & kFlagDropped) != 0;
	message.fWasDelivered = (flags & kFlagDelivered) != 0;
	message.fDropPoint = BPoint(drop[0], drop[1]);
	message.fDropOffset = BPoint(drop[2], drop[3]);

	for (uint32 i = 0; i < fieldCount; i++) {
		Field field;
		uint32 fieldFlags, nameLength, valueCount;
		const char* name;
		if (!reader.Get(field.type) || !reader.Get(fieldFlags) || !reader.Get(nameLength)
			|| (name = reader.Take(nameLength)) == NULL || !reader.Get(valueCount)
			|| valueCount > reader.Left() / 4) {
			return B_BAD_VALUE;
		}
		field.name.assign(name, nameLength);
		field.fixedSize = (fieldFlags & 1) != 0;
		if (field.name.find('\0') != std::string::npos || field.type == B_ANY_TYPE
			|| !names.insert(std::string_view(name, nameLength)).second) {
			return B_BAD_VALUE;
		}
		for (uint32 j = 0; j < valueCount; j++) {
			uint32 valueSize;
			const char* value;
			if (!reader.Get(valueSize) || (value = reader.Take(valueSize)) == NULL)
				return B_BAD_VALUE;
			if (field.fixedSize && j > 0 && valueSize != field.values[0].size())
				return B_BAD_VALUE;
			field.values.emplace_back(value, value + valueSize);
		}
		message.fFields.push_back(std::move(field));
	}
	if (reader.Left() != 0)
		return B_BAD_VALUE;
	*this = message;
	return B_OK;
}

status_t
BMessage::Unflatten(BDataIO* stream)
{
	if (stream == NULL)
		return B_BAD_VALUE;
	uint32 header[2];
	if (stream->ReadExactly(header, sizeof(header)) != B_OK)
		return B_BAD_VALUE;
	if (header[0] != kFlatMagic)
		return B_NOT_A_MESSAGE;
	if (header[1] < kHeaderSize)
		return B_BAD_VALUE;

	// Read in steps, so that a size field that lies costs no more memory
	// than the stream really holds.
	std::vector<char> data((const char*)header, (const char*)header + sizeof(header));
	const size_t kStep = 64 * 1024;
	while (data.size() < header[1]) {
		size_t chunk = std::min<size_t>(kStep, header[1] - data.size());
		size_t start = data.size();
		data.resize(start + chunk);
		if (stream->ReadExactly(data.data() + start, chunk) != B_OK)
			return B_BAD_VALUE;
	}
	return Unflatten(data.data(), data.size());
}

// #pragma mark - BPrivate

namespace BPrivate {

void
MessagePrivate::SetReturnAddress(const BMessenger& replyTo)
{
	fMessage->fReplyLooperToken = replyTo._LooperToken();
	fMessage->fReplyHandlerToken = replyTo._HandlerToken();
}

void
MessagePrivate::SetWasDropped(bool dropped, BPoint dropPoint, BPoint offset)
{
	fMessage->fWasDropped = dropped;
	fMessage->fDropPoint = dropPoint;
	fMessage->fDropOffset = offset;
}

void
MessagePrivate::SetReply(const BMessage* original)
{
	fMessage->fIsReply = original != NULL;
	fMessage->fOriginal.reset();
	if (original != NULL) {
		fMessage->fOriginal = std::make_unique<BMessage>(*original);
		// Keep one level: a reply to a reply does not carry the whole chain.
		fMessage->fOriginal->fOriginal.reset();
	}
}

void
MessagePrivate::PrepareForSending(const BMessenger& replyTo)
{
	fMessage->fWasDelivered = false;
	SetReply(NULL);
	SetReturnAddress(replyTo);
}

void
flatten_entry_ref(const entry_ref& ref, std::vector<char>& _data)
{
	_data.clear();
	Writer writer(_data);
	writer.Put<int64>((int64)ref.device);
	writer.Put<int64>((int64)ref.directory);
	writer.PutString(ref.name);
	writer.PutString(ref._DirectoryPath());
}

status_t
unflatten_entry_ref(const void* data, size_t size, entry_ref* ref)
{
	if (data == NULL || ref == NULL)
		return B_BAD_VALUE;
	Reader reader(data, size);
	int64 device, directory;
	std::string name, path;
	bool noName, noPath;
	if (!reader.Get(device) || !reader.Get(directory) || !reader.GetString(name, noName)
		|| !reader.GetString(path, noPath) || reader.Left() != 0) {
		return B_BAD_VALUE;
	}
	ref->device = (dev_t)device;
	ref->directory = (ino_t)directory;
	if (ref->set_name(noName ? NULL : name.c_str()) != B_OK
		|| ref->_SetDirectoryPath(noPath ? NULL : path.c_str()) != B_OK) {
		return B_NO_MEMORY;
	}
	return B_OK;
}

} // namespace BPrivate
