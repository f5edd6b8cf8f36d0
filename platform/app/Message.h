#ifndef _MESSAGE_H
#define _MESSAGE_H

#include <memory>
#include <string>
#include <vector>

#include <AppDefs.h>
#include <Rect.h>
#include <TypeConstants.h>

class BDataIO;
class BHandler;
class BLooper;
class BMessenger;
struct entry_ref;
struct node_ref;

namespace BPrivate {
class MessagePrivate;
}

// A typed container of named fields, each holding one or more values of one
// type, with a command code in `what`. Messages are copied when posted; the
// sender keeps its own.
class BMessage {
public:
	uint32 what;

	BMessage();
	BMessage(uint32 what);
	BMessage(const BMessage& other);
	virtual ~BMessage();

	BMessage& operator=(const BMessage& other);

	// Field information.
	status_t GetInfo(type_code typeRequested, int32 index, char** nameFound,
		type_code* typeFound, int32* countFound = NULL) const;
	status_t GetInfo(const char* name, type_code* typeFound, int32* countFound = NULL) const;
	status_t GetInfo(const char* name, type_code* typeFound, bool* fixedSize) const;
	int32 CountNames(type_code type) const;
	bool IsEmpty() const;
	bool IsSystem() const;
	bool IsReply() const;
	void PrintToStream() const;

	status_t Rename(const char* oldEntry, const char* newEntry);

	// Delivery information.
	bool WasDelivered() const;
	bool IsSourceWaiting() const;
	bool IsSourceRemote() const;
	BMessenger ReturnAddress() const;
	const BMessage* Previous() const;
	bool WasDropped() const;
	// The drop point in screen coordinates.
	BPoint DropPoint(BPoint* offset = NULL) const;

	// Replies go to the return address: the handler named when the message
	// was sent, or the source of a drag.
	status_t SendReply(uint32 command, BHandler* replyTo = NULL);
	status_t SendReply(BMessage* reply, BHandler* replyTo = NULL,
		bigtime_t timeout = 9223372036854775807LL);
	status_t SendReply(BMessage* reply, BMessenger replyTo,
		bigtime_t timeout = 9223372036854775807LL);

	// Flattening: a self-contained byte form that Unflatten reads back.
	ssize_t FlattenedSize() const;
	status_t Flatten(char* buffer, ssize_t size) const;
	status_t Flatten(BDataIO* stream, ssize_t* size = NULL) const;
	// Flattened bytes come from files and other processes, so they are only
	// read with their length: there is no form that trusts the size field
	// inside the bytes.
	status_t Unflatten(const char* flatBuffer) = delete;
	// Never reads past size bytes. Bad or truncated data fails with
	// B_NOT_A_MESSAGE (not this format) or B_BAD_VALUE and leaves the
	// message unchanged.
	status_t Unflatten(const char* flatBuffer, ssize_t size);
	status_t Unflatten(BDataIO* stream);

	// Adding data.
	status_t AddRect(const char* name, BRect rect);
	status_t AddPoint(const char* name, BPoint point);
	status_t AddString(const char* name, const char* string);
	status_t AddString(const char* name, const std::string& string);
	status_t AddInt8(const char* name, int8 value);
	status_t AddUInt8(const char* name, uint8 value);
	status_t AddInt16(const char* name, int16 value);
	status_t AddUInt16(const char* name, uint16 value);
	status_t AddInt32(const char* name, int32 value);
	status_t AddUInt32(const char* name, uint32 value);
	status_t AddInt64(const char* name, int64 value);
	status_t AddUInt64(const char* name, uint64 value);
	status_t AddBool(const char* name, bool value);
	status_t AddFloat(const char* name, float value);
	status_t AddDouble(const char* name, double value);
	status_t AddPointer(const char* name, const void* pointer);
	status_t AddMessenger(const char* name, BMessenger messenger);
	status_t AddRef(const char* name, const entry_ref* ref);
	status_t AddNodeRef(const char* name, const node_ref* ref);
	status_t AddMessage(const char* name, const BMessage* message);
	status_t AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
		bool isFixedSize = true, int32 count = 1);

	// Removing data.
	status_t RemoveData(const char* name, int32 index = 0);
	status_t RemoveName(const char* name);
	status_t MakeEmpty();

	// Finding data.
	status_t FindRect(const char* name, BRect* rect) const;
	status_t FindRect(const char* name, int32 index, BRect* rect) const;
	status_t FindPoint(const char* name, BPoint* point) const;
	status_t FindPoint(const char* name, int32 index, BPoint* point) const;
	status_t FindString(const char* name, const char** string) const;
	status_t FindString(const char* name, int32 index, const char** string) const;
	status_t FindString(const char* name, std::string* string) const;
	status_t FindString(const char* name, int32 index, std::string* string) const;
	status_t FindInt8(const char* name, int8* value) const;
	status_t FindInt8(const char* name, int32 index, int8* value) const;
	status_t FindUInt8(const char* name, uint8* value) const;
	status_t FindUInt8(const char* name, int32 index, uint8* value) const;
	status_t FindInt16(const char* name, int16* value) const;
	status_t FindInt16(const char* name, int32 index, int16* value) const;
	status_t FindUInt16(const char* name, uint16* value) const;
	status_t FindUInt16(const char* name, int32 index, uint16* value) const;
	status_t FindInt32(const char* name, int32* value) const;
	status_t FindInt32(const char* name, int32 index, int32* value) const;
	status_t FindUInt32(const char* name, uint32* value) const;
	status_t FindUInt32(const char* name, int32 index, uint32* value) const;
	status_t FindInt64(const char* name, int64* value) const;
	status_t FindInt64(const char* name, int32 index, int64* value) const;
	status_t FindUInt64(const char* name, uint64* value) const;
	status_t FindUInt64(const char* name, int32 index, uint64* value) const;
	status_t FindBool(const char* name, bool* value) const;
	status_t FindBool(const char* name, int32 index, bool* value) const;
	status_t FindFloat(const char* name, float* value) const;
	status_t FindFloat(const char* name, int32 index, float* value) const;
	status_t FindDouble(const char* name, double* value) const;
	status_t FindDouble(const char* name, int32 index, double* value) const;
	status_t FindPointer(const char* name, void** pointer) const;
	status_t FindPointer(const char* name, int32 index, void** pointer) const;
	status_t FindMessenger(const char* name, BMessenger* messenger) const;
	status_t FindMessenger(const char* name, int32 index, BMessenger* messenger) const;
	status_t FindRef(const char* name, entry_ref* ref) const;
	status_t FindRef(const char* name, int32 index, entry_ref* ref) const;
	status_t FindNodeRef(const char* name, node_ref* ref) const;
	status_t FindNodeRef(const char* name, int32 index, node_ref* ref) const;
	status_t FindMessage(const char* name, BMessage* message) const;
	status_t FindMessage(const char* name, int32 index, BMessage* message) const;
	status_t FindData(const char* name, type_code type, const void** data,
		ssize_t* numBytes) const;
	status_t FindData(const char* name, type_code type, int32 index, const void** data,
		ssize_t* numBytes) const;

	// Replacing data.
	status_t ReplaceRect(const char* name, BRect rect);
	status_t ReplaceRect(const char* name, int32 index, BRect rect);
	status_t ReplacePoint(const char* name, BPoint point);
	status_t ReplacePoint(const char* name, int32 index, BPoint point);
	status_t ReplaceString(const char* name, const char* string);
	status_t ReplaceString(const char* name, int32 index, const char* string);
	status_t ReplaceInt32(const char* name, int32 value);
	status_t ReplaceInt32(const char* name, int32 index, int32 value);
	status_t ReplaceUInt32(const char* name, uint32 value);
	status_t ReplaceInt64(const char* name, int64 value);
	status_t ReplaceBool(const char* name, bool value);
	status_t ReplaceBool(const char* name, int32 index, bool value);
	status_t ReplaceFloat(const char* name, float value);
	status_t ReplaceFloat(const char* name, int32 index, float value);
	status_t ReplaceDouble(const char* name, double value);
	status_t ReplacePointer(const char* name, const void* pointer);
	status_t ReplacePointer(const char* name, int32 index, const void* pointer);
	status_t ReplaceRef(const char* name, const entry_ref* ref);
	status_t ReplaceRef(const char* name, int32 index, const entry_ref* ref);
	status_t ReplaceMessage(const char* name, const BMessage* message);
	status_t ReplaceData(const char* name, type_code type, const void* data, ssize_t numBytes);
	status_t ReplaceData(const char* name, type_code type, int32 index, const void* data,
		ssize_t numBytes);

	// Presence.
	bool HasSameData(const BMessage& other, bool ignoreFieldOrder = true,
		bool deep = false) const;
	bool HasData(const char* name, type_code type, int32 index = 0) const;
	bool HasRect(const char* name, int32 index = 0) const;
	bool HasPoint(const char* name, int32 index = 0) const;
	bool HasString(const char* name, int32 index = 0) const;
	bool HasInt8(const char* name, int32 index = 0) const;
	bool HasInt16(const char* name, int32 index = 0) const;
	bool HasInt32(const char* name, int32 index = 0) const;
	bool HasInt64(const char* name, int32 index = 0) const;
	bool HasBool(const char* name, int32 index = 0) const;
	bool HasFloat(const char* name, int32 index = 0) const;
	bool HasDouble(const char* name, int32 index = 0) const;
	bool HasPointer(const char* name, int32 index = 0) const;
	bool HasMessenger(const char* name, int32 index = 0) const;
	bool HasRef(const char* name, int32 index = 0) const;
	bool HasMessage(const char* name, int32 index = 0) const;

	// Getters with a default for a missing field.
	bool GetBool(const char* name, bool defaultValue = false) const;
	int32 GetInt32(const char* name, int32 defaultValue) const;
	int64 GetInt64(const char* name, int64 defaultValue) const;
	float GetFloat(const char* name, float defaultValue) const;
	const char* GetString(const char* name, const char* defaultValue = NULL) const;
	BRect GetRect(const char* name, const BRect& defaultValue) const;
	BPoint GetPoint(const char* name, const BPoint& defaultValue) const;

private:
	friend class BPrivate::MessagePrivate;

	struct Field {
		std::string name;
		type_code type;
		bool fixedSize;
		std::vector<std::vector<char>> values;
	};

	Field* _FindField(const char* name);
	const Field* _FindField(const char* name) const;
	status_t _FindValue(const char* name, type_code type, int32 index, const void** data,
		ssize_t* size) const;
	bool _HasSameData(const BMessage& other, bool ignoreFieldOrder, bool deep,
		int32 depth) const;
	void _PrintToStream(int32 indent) const;

	std::vector<Field> fFields;

	// Delivery state, set by the layer.
	int32 fTargetToken;
	int32 fReplyHandlerToken;
	int32 fReplyLooperToken;
	bool fWasDropped;
	bool fIsReply;
	bool fWasDelivered;
	BPoint fDropPoint;
	BPoint fDropOffset;
	std::unique_ptr<BMessage> fOriginal;
};

#endif
