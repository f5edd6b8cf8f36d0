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
	bool IsEmpty() const;


	// Delivery information.
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
	status_t AddPoint(const char* name, BPoint point);
	status_t AddString(const char* name, const char* string);
	status_t AddString(const char* name, const std::string& string);
	status_t AddInt8(const char* name, int8 value);
	status_t AddInt32(const char* name, int32 value);
	status_t AddInt64(const char* name, int64 value);
	status_t AddBool(const char* name, bool value);
	status_t AddFloat(const char* name, float value);
	status_t AddPointer(const char* name, const void* pointer);
	status_t AddMessenger(const char* name, BMessenger messenger);
	status_t AddRef(const char* name, const entry_ref* ref);
	status_t AddMessage(const char* name, const BMessage* message);
	status_t AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
		bool isFixedSize = true, int32 count = 1);

	// Removing data.
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
	status_t FindInt32(const char* name, int32* value) const;
	status_t FindInt32(const char* name, int32 index, int32* value) const;
	status_t FindInt64(const char* name, int64* value) const;
	status_t FindInt64(const char* name, int32 index, int64* value) const;
	status_t FindBool(const char* name, bool* value) const;
	status_t FindBool(const char* name, int32 index, bool* value) const;
	status_t FindFloat(const char* name, float* value) const;
	status_t FindFloat(const char* name, int32 index, float* value) const;
	status_t FindPointer(const char* name, void** pointer) const;
	status_t FindPointer(const char* name, int32 index, void** pointer) const;
	status_t FindMessenger(const char* name, BMessenger* messenger) const;
	status_t FindMessenger(const char* name, int32 index, BMessenger* messenger) const;
	status_t FindRef(const char* name, entry_ref* ref) const;
	status_t FindRef(const char* name, int32 index, entry_ref* ref) const;
	status_t FindMessage(const char* name, BMessage* message) const;
	status_t FindMessage(const char* name, int32 index, BMessage* message) const;
	status_t FindData(const char* name, type_code type, const void** data,
		ssize_t* numBytes) const;
	status_t FindData(const char* name, type_code type, int32 index, const void** data,
		ssize_t* numBytes) const;

	// Replacing data.

	// Presence.
	bool HasData(const char* name, type_code type, int32 index = 0) const;
	bool HasRef(const char* name, int32 index = 0) const;

	// Getters with a default for a missing field.
	bool GetBool(const char* name, bool defaultValue = false) const;
	int32 GetInt32(const char* name, int32 defaultValue) const;
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
