#ifndef _MESSAGE_PRIVATE_H
#define _MESSAGE_PRIVATE_H

#include <vector>

#include <Message.h>
#include <Messenger.h>

struct entry_ref;

namespace BPrivate {

// The layer's access to a message's delivery state: where it is going, where
// replies go, and whether it arrived by a drop. The interface kit marks a
// dropped message with SetWasDropped and the drag source's handler as its
// return address, so that SendReply reaches the source.
class MessagePrivate {
public:
	MessagePrivate(BMessage* message) :
		fMessage(message)
	{
	}

	int32 TargetToken() const { return fMessage->fTargetToken; }
	void SetTarget(int32 handlerToken) { fMessage->fTargetToken = handlerToken; }

	void SetReturnAddress(const BMessenger& replyTo);
	void SetWasDropped(bool dropped, BPoint dropPoint = BPoint(), BPoint offset = BPoint());
	void SetDelivered(bool delivered) { fMessage->fWasDelivered = delivered; }
	// Marks the message as a reply to original (a copy of it is kept).
	void SetReply(const BMessage* original);

	// Resets what belongs to an earlier delivery before the message is sent
	// again: not delivered, not a reply, replies going to replyTo. A drop
	// state is kept, so a forwarded drop can still be answered.
	void PrepareForSending(const BMessenger& replyTo);

private:
	BMessage* fMessage;
};

// A messenger inside a message: its two tokens.
struct FlatMessenger {
	int32 looperToken;
	int32 handlerToken;
};

// The byte form of an entry_ref inside a message: device and folder (int64
// each), then the name and the folder path, each as a uint32 length (or
// 0xffffffff for none) and its bytes.
void flatten_entry_ref(const entry_ref& ref, std::vector<char>& _data);
status_t unflatten_entry_ref(const void* data, size_t size, entry_ref* ref);

} // namespace BPrivate

#endif
