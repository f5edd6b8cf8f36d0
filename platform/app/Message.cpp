#include <Message.h>

#include <cstring>

#include <Entry.h>
#include <Messenger.h>
#include <Node.h>

#include "AppPrivate.h"
#include "MessagePrivate.h"

// Fields keep each value as its own bytes: numbers, rectangles and points as
// they lie in memory, strings with their terminating NUL, entry_refs in
// the byte form of MessagePrivate.h, messages flattened, and
// messengers as their two tokens. Typed look-ups check the size (and a
// string's NUL) before they read, so data added with AddData or read from a
// flattened message can never make them read out of bounds.

namespace {

bool
matches_type(type_code wanted, type_code type)
{
	return wanted == B_ANY_TYPE || wanted == type;
}

template<typename T>
status_t
add_fixed(BMessage* message, const char* name, type_code type, const T& value)
{
	return message->AddData(name, type, &value, sizeof(T), true);
}

} // namespace

BMessage::BMessage() :
	BMessage((uint32)0)
{
}

BMessage::BMessage(uint32 command) :
	what(command),
	fTargetToken(BPrivate::kNullToken),
	fReplyHandlerToken(BPrivate::kNullToken),
	fReplyLooperToken(BPrivate::kNullToken),
	fWasDropped(false),
	fIsReply(false),
	fWasDelivered(false)
{
}

BMessage::BMessage(const BMessage& other) :
	what(other.what),
	fFields(other.fFields),
	fTargetToken(other.fTargetToken),
	fReplyHandlerToken(other.fReplyHandlerToken),
	fReplyLooperToken(other.fReplyLooperToken),
	fWasDropped(other.fWasDropped),
	fIsReply(other.fIsReply),
	fWasDelivered(other.fWasDelivered),
	fDropPoint(other.fDropPoint),
	fDropOffset(other.fDropOffset)
{
	if (other.fOriginal)
		fOriginal = std::make_unique<BMessage>(*other.fOriginal);
}

BMessage::~BMessage() = default;

BMessage&
BMessage::operator=(const BMessage& other)
{
	if (this != &other) {
		BMessage copy(other);
		what = copy.what;
		fFields = std::move(copy.fFields);
		fTargetToken = copy.fTargetToken;
		fReplyHandlerToken = copy.fReplyHandlerToken;
		fReplyLooperToken = copy.fReplyLooperToken;
		fWasDropped = copy.fWasDropped;
		fIsReply = copy.fIsReply;
		fWasDelivered = copy.fWasDelivered;
		fDropPoint = copy.fDropPoint;
		fDropOffset = copy.fDropOffset;
		fOriginal = std::move(copy.fOriginal);
	}
	return *this;
}

// #pragma mark - field information

status_t
BMessage::GetInfo(type_code typeRequested, int32 index, char** nameFound, type_code* typeFound,
	int32* countFound) const
{
	if (index < 0)
		return B_BAD_INDEX;
	int32 seen = 0;
	for (const Field& field : fFields) {
		if (!matches_type(typeRequested, field.type))
			continue;
		if (seen++ < index)
			continue;
		if (nameFound != NULL)
			*nameFound = const_cast<char*>(field.name.c_str());
		if (typeFound != NULL)
			*typeFound = field.type;
		if (countFound != NULL)
			*countFound = (int32)field.values.size();
		return B_OK;
	}
	return seen == 0 ? B_BAD_TYPE : B_BAD_INDEX;
}

bool
BMessage::IsEmpty() const
{
	return fFields.empty();
}

// #pragma mark - delivery

BMessenger
BMessage::ReturnAddress() const
{
	BMessenger messenger;
	messenger._SetTo(fReplyLooperToken, fReplyHandlerToken);
	return messenger;
}

const BMessage*
BMessage::Previous() const
{
	return fOriginal.get();
}

bool
BMessage::WasDropped() const
{
	return fWasDropped;
}

BPoint
BMessage::DropPoint(BPoint* offset) const
{
	if (offset != NULL)
		*offset = fDropOffset;
	return fDropPoint;
}

status_t
BMessage::SendReply(uint32 command, BHandler* replyTo)
{
	BMessage reply(command);
	return SendReply(&reply, replyTo);
}

status_t
BMessage::SendReply(BMessage* reply, BHandler* replyTo, bigtime_t timeout)
{
	BMessenger messenger;
	if (replyTo != NULL)
		messenger = BMessenger(replyTo);
	return SendReply(reply, messenger, timeout);
}

status_t
BMessage::SendReply(BMessage* reply, BMessenger replyTo, bigtime_t)
{
	if (reply == NULL)
		return B_BAD_VALUE;
	if (fReplyLooperToken == BPrivate::kNullToken)
		return B_BAD_REPLY;
	auto copy = std::make_unique<BMessage>(*reply);
	BPrivate::MessagePrivate access(copy.get());
	access.PrepareForSending(replyTo);
	access.SetReply(this);
	return BPrivate::deliver_message(fReplyLooperToken, fReplyHandlerToken, std::move(copy));
}

// #pragma mark - adding

status_t
BMessage::AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
	bool isFixedSize, int32)
{
	if (name == NULL || numBytes < 0 || (data == NULL && numBytes > 0))
		return B_BAD_VALUE;
	if (type == B_ANY_TYPE)
		return B_BAD_TYPE;
	Field* field = _FindField(name);
	if (field == NULL) {
		fFields.push_back(Field{name, type, isFixedSize, {}});
		field = &fFields.back();
	} else if (field->type != type) {
		return B_BAD_TYPE;
	} else if (field->fixedSize && !field->values.empty()
		&& (ssize_t)field->values[0].size() != numBytes) {
		return B_BAD_VALUE;
	}
	const char* bytes = static_cast<const char*>(data);
	field->values.emplace_back(bytes, bytes + numBytes);
	return B_OK;
}

status_t
BMessage::AddPoint(const char* name, BPoint point)
{
	return add_fixed(this, name, B_POINT_TYPE, point);
}

status_t
BMessage::AddString(const char* name, const char* string)
{
	if (string == NULL)
		return B_BAD_VALUE;
	return AddData(name, B_STRING_TYPE, string, strlen(string) + 1, false);
}

status_t
BMessage::AddString(const char* name, const std::string& string)
{
	return AddData(name, B_STRING_TYPE, string.c_str(), string.size() + 1, false);
}

status_t
BMessage::AddInt8(const char* name, int8 value)
{
	return add_fixed(this, name, B_INT8_TYPE, value);
}

status_t
BMessage::AddInt32(const char* name, int32 value)
{
	return add_fixed(this, name, B_INT32_TYPE, value);
}

status_t
BMessage::AddInt64(const char* name, int64 value)
{
	return add_fixed(this, name, B_INT64_TYPE, value);
}

status_t
BMessage::AddBool(const char* name, bool value)
{
	return add_fixed(this, name, B_BOOL_TYPE, (uint8)(value ? 1 : 0));
}

status_t
BMessage::AddFloat(const char* name, float value)
{
	return add_fixed(this, name, B_FLOAT_TYPE, value);
}

status_t
BMessage::AddPointer(const char* name, const void* pointer)
{
	return add_fixed(this, name, B_POINTER_TYPE, pointer);
}

status_t
BMessage::AddMessenger(const char* name, BMessenger messenger)
{
	BPrivate::FlatMessenger data = {messenger._LooperToken(), messenger._HandlerToken()};
	return add_fixed(this, name, B_MESSENGER_TYPE, data);
}

status_t
BMessage::AddRef(const char* name, const entry_ref* ref)
{
	if (ref == NULL)
		return B_BAD_VALUE;
	std::vector<char> data;
	BPrivate::flatten_entry_ref(*ref, data);
	return AddData(name, B_REF_TYPE, data.data(), data.size(), false);
}

status_t
BMessage::AddMessage(const char* name, const BMessage* message)
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
	return AddData(name, B_MESSAGE_TYPE, data.data(), size, false);
}

// #pragma mark - removing

status_t
BMessage::RemoveName(const char* name)
{
	if (name == NULL)
		return B_BAD_VALUE;
	Field* field = _FindField(name);
	if (field == NULL)
		return B_NAME_NOT_FOUND;
	fFields.erase(fFields.begin() + (field - fFields.data()));
	return B_OK;
}

status_t
BMessage::MakeEmpty()
{
	fFields.clear();
	return B_OK;
}

// #pragma mark - private

BMessage::Field*
BMessage::_FindField(const char* name)
{
	return const_cast<Field*>(static_cast<const BMessage*>(this)->_FindField(name));
}

const BMessage::Field*
BMessage::_FindField(const char* name) const
{
	if (name == NULL)
		return NULL;
	for (const Field& field : fFields) {
		if (field.name == name)
			return &field;
	}
	return NULL;
}

status_t
BMessage::_FindValue(const char* name, type_code type, int32 index, const void** data,
	ssize_t* size) const
{
	if (name == NULL)
		return B_BAD_VALUE;
	const Field* field = _FindField(name);
	if (field == NULL)
		return B_NAME_NOT_FOUND;
	if (!matches_type(type, field->type))
		return B_BAD_TYPE;
	if (index < 0 || index >= (int32)field->values.size())
		return B_BAD_INDEX;
	if (data != NULL)
		*data = field->values[index].data();
	if (size != NULL)
		*size = field->values[index].size();
	return B_OK;
}
