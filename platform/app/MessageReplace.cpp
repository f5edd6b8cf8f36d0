#include <Message.h>

#include <cstring>

#include <Entry.h>
#include <Messenger.h>
#include <Node.h>

#include "MessagePrivate.h"

namespace {

bool
matches_type(type_code wanted, type_code type)
{
	return wanted == B_ANY_TYPE || wanted == type;
}

template<typename T>
status_t
replace_fixed(BMessage* message, const char* name, type_code type, int32 index, const T& value)
{
	return message->ReplaceData(name, type, index, &value, sizeof(T));
}

} // namespace

// #pragma mark - replacing

status_t
BMessage::ReplaceData(const char* name, type_code type, const void* data, ssize_t numBytes)
{
	return ReplaceData(name, type, 0, data, numBytes);
}

status_t
BMessage::ReplaceData(const char* name, type_code type, int32 index, const void* data,
	ssize_t numBytes)
{
	if (name == NULL || numBytes < 0 || (data == NULL && numBytes > 0))
		return B_BAD_VALUE;
	Field* field = _FindField(name);
	if (field == NULL)
		return B_NAME_NOT_FOUND;
	if (!matches_type(type, field->type))
		return B_BAD_TYPE;
	if (index < 0 || index >= (int32)field->values.size())
		return B_BAD_INDEX;
	if (field->fixedSize && (ssize_t)field->values[index].size() != numBytes)
		return B_BAD_VALUE;
	const char* bytes = static_cast<const char*>(data);
	field->values[index].assign(bytes, bytes + numBytes);
	return B_OK;
}

status_t
BMessage::ReplaceRect(const char* name, BRect rect)
{
	return ReplaceRect(name, 0, rect);
}

status_t
BMessage::ReplaceRect(const char* name, int32 index, BRect rect)
{
	return replace_fixed(this, name, B_RECT_TYPE, index, rect);
}

status_t
BMessage::ReplacePoint(const char* name, BPoint point)
{
	return ReplacePoint(name, 0, point);
}

status_t
BMessage::ReplacePoint(const char* name, int32 index, BPoint point)
{
	return replace_fixed(this, name, B_POINT_TYPE, index, point);
}

status_t
BMessage::ReplaceString(const char* name, const char* string)
{
	return ReplaceString(name, 0, string);
}

status_t
BMessage::ReplaceString(const char* name, int32 index, const char* string)
{
	if (string == NULL)
		return B_BAD_VALUE;
	return ReplaceData(name, B_STRING_TYPE, index, string, strlen(string) + 1);
}

status_t
BMessage::ReplaceInt32(const char* name, int32 value)
{
	return ReplaceInt32(name, 0, value);
}

status_t
BMessage::ReplaceInt32(const char* name, int32 index, int32 value)
{
	return replace_fixed(this, name, B_INT32_TYPE, index, value);
}

status_t
BMessage::ReplaceUInt32(const char* name, uint32 value)
{
	return replace_fixed(this, name, B_UINT32_TYPE, 0, value);
}

status_t
BMessage::ReplaceInt64(const char* name, int64 value)
{
	return replace_fixed(this, name, B_INT64_TYPE, 0, value);
}

status_t
BMessage::ReplaceBool(const char* name, bool value)
{
	return ReplaceBool(name, 0, value);
}

status_t
BMessage::ReplaceBool(const char* name, int32 index, bool value)
{
	return replace_fixed(this, name, B_BOOL_TYPE, index, (uint8)(value ? 1 : 0));
}

status_t
BMessage::ReplaceFloat(const char* name, float value)
{
	return ReplaceFloat(name, 0, value);
}

status_t
BMessage::ReplaceFloat(const char* name, int32 index, float value)
{
	return replace_fixed(this, name, B_FLOAT_TYPE, index, value);
}

status_t
BMessage::ReplaceDouble(const char* name, double value)
{
	return replace_fixed(this, name, B_DOUBLE_TYPE, 0, value);
}

status_t
BMessage::ReplacePointer(const char* name, const void* pointer)
{
	return ReplacePointer(name, 0, pointer);
}

status_t
BMessage::ReplacePointer(const char* name, int32 index, const void* pointer)
{
	return replace_fixed(this, name, B_POINTER_TYPE, index, pointer);
}

status_t
BMessage::ReplaceRef(const char* name, const entry_ref* ref)
{
	return ReplaceRef(name, 0, ref);
}

status_t
BMessage::ReplaceRef(const char* name, int32 index, const entry_ref* ref)
{
	if (ref == NULL)
		return B_BAD_VALUE;
	std::vector<char> data;
	BPrivate::flatten_entry_ref(*ref, data);
	return ReplaceData(name, B_REF_TYPE, index, data.data(), data.size());
}

status_t
BMessage::ReplaceMessage(const char* name, const BMessage* message)
{
	if (message == NULL)
		return B_BAD_VALUE;
	ssize_t size = message->FlattenedSize();
	if (size < 0)
		return (status_t)size;
	std::vector<char> data(size);
	status_t status = message->Flatten(data.data(), size);
	if (status != B_OK)
		return status;
	return ReplaceData(name, B_MESSAGE_TYPE, 0, data.data(), size);
}
