#include <Message.h>

#include <cstring>

#include <Entry.h>
#include <Messenger.h>
#include <Node.h>

#include "MessagePrivate.h"

namespace {

template<typename T>
status_t
find_fixed(const BMessage* message, const char* name, type_code type, int32 index, T* _value)
{
	if (_value == NULL)
		return B_BAD_VALUE;
	const void* data;
	ssize_t size;
	status_t status = message->FindData(name, type, index, &data, &size);
	if (status != B_OK)
		return status;
	if (size != (ssize_t)sizeof(T))
		return B_BAD_VALUE;
	memcpy((void*)_value, data, sizeof(T));
	return B_OK;
}

template<typename T>
T
get_fixed(const BMessage* message, const char* name, type_code type, T defaultValue)
{
	T value;
	return find_fixed(message, name, type, 0, &value) == B_OK ? value : defaultValue;
}

} // namespace

// #pragma mark - finding

status_t
BMessage::FindData(const char* name, type_code type, const void** data, ssize_t* numBytes) const
{
	return FindData(name, type, 0, data, numBytes);
}

status_t
BMessage::FindData(const char* name, type_code type, int32 index, const void** data,
	ssize_t* numBytes) const
{
	if (data == NULL)
		return B_BAD_VALUE;
	return _FindValue(name, type, index, data, numBytes);
}

status_t
BMessage::FindRect(const char* name, BRect* rect) const
{
	return FindRect(name, 0, rect);
}

status_t
BMessage::FindRect(const char* name, int32 index, BRect* rect) const
{
	return find_fixed(this, name, B_RECT_TYPE, index, rect);
}

status_t
BMessage::FindPoint(const char* name, BPoint* point) const
{
	return FindPoint(name, 0, point);
}

status_t
BMessage::FindPoint(const char* name, int32 index, BPoint* point) const
{
	return find_fixed(this, name, B_POINT_TYPE, index, point);
}

status_t
BMessage::FindString(const char* name, const char** string) const
{
	return FindString(name, 0, string);
}

status_t
BMessage::FindString(const char* name, int32 index, const char** string) const
{
	if (string == NULL)
		return B_BAD_VALUE;
	const void* data;
	ssize_t size;
	status_t status = FindData(name, B_STRING_TYPE, index, &data, &size);
	if (status != B_OK)
		return status;
	if (size < 1 || static_cast<const char*>(data)[size - 1] != '\0')
		return B_BAD_VALUE;
	*string = static_cast<const char*>(data);
	return B_OK;
}

status_t
BMessage::FindString(const char* name, std::string* string) const
{
	return FindString(name, 0, string);
}

status_t
BMessage::FindString(const char* name, int32 index, std::string* string) const
{
	if (string == NULL)
		return B_BAD_VALUE;
	const void* data;
	ssize_t size;
	status_t status = FindData(name, B_STRING_TYPE, index, &data, &size);
	if (status != B_OK)
		return status;
	if (size < 1 || static_cast<const char*>(data)[size - 1] != '\0')
		return B_BAD_VALUE;
	string->assign(static_cast<const char*>(data), size - 1);
	return B_OK;
}

status_t
BMessage::FindInt32(const char* name, int32* value) const
{
	return FindInt32(name, 0, value);
}

status_t
BMessage::FindInt32(const char* name, int32 index, int32* value) const
{
	return find_fixed(this, name, B_INT32_TYPE, index, value);
}

status_t
BMessage::FindInt64(const char* name, int64* value) const
{
	return FindInt64(name, 0, value);
}

status_t
BMessage::FindInt64(const char* name, int32 index, int64* value) const
{
	return find_fixed(this, name, B_INT64_TYPE, index, value);
}

status_t
BMessage::FindBool(const char* name, bool* value) const
{
	return FindBool(name, 0, value);
}

status_t
BMessage::FindBool(const char* name, int32 index, bool* value) const
{
	if (value == NULL)
		return B_BAD_VALUE;
	uint8 byte;
	status_t status = find_fixed(this, name, B_BOOL_TYPE, index, &byte);
	if (status == B_OK)
		*value = byte != 0;
	return status;
}

status_t
BMessage::FindFloat(const char* name, float* value) const
{
	return FindFloat(name, 0, value);
}

status_t
BMessage::FindFloat(const char* name, int32 index, float* value) const
{
	return find_fixed(this, name, B_FLOAT_TYPE, index, value);
}

status_t
BMessage::FindPointer(const char* name, void** pointer) const
{
	return FindPointer(name, 0, pointer);
}

status_t
BMessage::FindPointer(const char* name, int32 index, void** pointer) const
{
	return find_fixed(this, name, B_POINTER_TYPE, index, pointer);
}

status_t
BMessage::FindMessenger(const char* name, BMessenger* messenger) const
{
	return FindMessenger(name, 0, messenger);
}

status_t
BMessage::FindMessenger(const char* name, int32 index, BMessenger* messenger) const
{
	if (messenger == NULL)
		return B_BAD_VALUE;
	BPrivate::FlatMessenger data;
	status_t status = find_fixed(this, name, B_MESSENGER_TYPE, index, &data);
	if (status == B_OK)
		messenger->_SetTo(data.looperToken, data.handlerToken);
	return status;
}

status_t
BMessage::FindRef(const char* name, entry_ref* ref) const
{
	return FindRef(name, 0, ref);
}

status_t
BMessage::FindRef(const char* name, int32 index, entry_ref* ref) const
{
	if (ref == NULL)
		return B_BAD_VALUE;
	const void* data;
	ssize_t size;
	status_t status = FindData(name, B_REF_TYPE, index, &data, &size);
	if (status != B_OK)
		return status;
	return BPrivate::unflatten_entry_ref(data, size, ref);
}

status_t
BMessage::FindMessage(const char* name, BMessage* message) const
{
	return FindMessage(name, 0, message);
}

status_t
BMessage::FindMessage(const char* name, int32 index, BMessage* message) const
{
	if (message == NULL)
		return B_BAD_VALUE;
	const void* data;
	ssize_t size;
	status_t status = FindData(name, B_MESSAGE_TYPE, index, &data, &size);
	if (status != B_OK)
		return status;
	return message->Unflatten(static_cast<const char*>(data), size);
}

// #pragma mark - presence and defaults

bool
BMessage::HasData(const char* name, type_code type, int32 index) const
{
	return _FindValue(name, type, index, NULL, NULL) == B_OK;
}

bool
BMessage::HasRef(const char* name, int32 index) const
{
	return HasData(name, B_REF_TYPE, index);
}

bool
BMessage::GetBool(const char* name, bool defaultValue) const
{
	bool value;
	return FindBool(name, &value) == B_OK ? value : defaultValue;
}

int32
BMessage::GetInt32(const char* name, int32 defaultValue) const
{
	return get_fixed(this, name, B_INT32_TYPE, defaultValue);
}

float
BMessage::GetFloat(const char* name, float defaultValue) const
{
	return get_fixed(this, name, B_FLOAT_TYPE, defaultValue);
}

const char*
BMessage::GetString(const char* name, const char* defaultValue) const
{
	const char* value;
	return FindString(name, &value) == B_OK ? value : defaultValue;
}

BRect
BMessage::GetRect(const char* name, const BRect& defaultValue) const
{
	return get_fixed(this, name, B_RECT_TYPE, defaultValue);
}

BPoint
BMessage::GetPoint(const char* name, const BPoint& defaultValue) const
{
	return get_fixed(this, name, B_POINT_TYPE, defaultValue);
}
