// The token table: handlers and loopers by token, under one mutex.
#include <Handler.h>
#include <Locker.h>
#include <Looper.h>
#include <Message.h>

#include <mutex>
#include <unordered_map>

#include "AppPrivate.h"
#include "MessagePrivate.h"

namespace {

struct LooperEntry {
	BLooper* looper;
	std::shared_ptr<BLocker> lock;
};

struct TokenSpace {
	std::mutex lock;
	int32 nextToken = 1;
	std::unordered_map<int32, BHandler*> handlers;
	std::unordered_map<int32, LooperEntry> loopers;
	std::unordered_map<const BLooper*, int32> looperTokens;
};

TokenSpace&
tokens()
{
	// Never destroyed: handlers with static storage and threads still
	// ending may use it while the process exits.
	static TokenSpace* space = new TokenSpace;
	return *space;
}

const LooperEntry*
find_looper(TokenSpace& space, int32 token)
{
	auto found = space.loopers.find(token);
	return found == space.loopers.end() ? NULL : &found->second;
}

const LooperEntry*
find_looper(TokenSpace& space, const BLooper* looper)
{
	auto found = space.looperTokens.find(looper);
	return found == space.looperTokens.end() ? NULL : find_looper(space, found->second);
}

} // namespace

namespace BPrivate {

int32
register_handler(BHandler* handler)
{
	TokenSpace& space = tokens();
	std::lock_guard<std::mutex> guard(space.lock);
	int32 token = space.nextToken++;
	space.handlers[token] = handler;
	return token;
}

void
unregister_handler(int32 token)
{
	TokenSpace& space = tokens();
	std::lock_guard<std::mutex> guard(space.lock);
	space.handlers.erase(token);
}

void
register_looper(BLooper* looper, int32 token, std::shared_ptr<BLocker> lock)
{
	TokenSpace& space = tokens();
	std::lock_guard<std::mutex> guard(space.lock);
	space.loopers[token] = LooperEntry{looper, std::move(lock)};
	space.looperTokens[looper] = token;
}

void
unregister_looper(BLooper* looper)
{
	TokenSpace& space = tokens();
	std::lock_guard<std::mutex> guard(space.lock);
	auto found = space.looperTokens.find(looper);
	if (found == space.looperTokens.end())
		return;
	space.loopers.erase(found->second);
	space.looperTokens.erase(found);
}

void
set_handler_looper(BHandler* handler, BLooper* looper)
{
	TokenSpace& space = tokens();
	std::lock_guard<std::mutex> guard(space.lock);
	handler->fLooper = looper;
}

std::shared_ptr<BLocker>
looper_lock(const BLooper* looper)
{
	TokenSpace& space = tokens();
	std::lock_guard<std::mutex> guard(space.lock);
	const LooperEntry* entry = find_looper(space, looper);
	return entry != NULL ? entry->lock : nullptr;
}

std::shared_ptr<BLocker>
looper_lock(int32 looperToken)
{
	TokenSpace& space = tokens();
	std::lock_guard<std::mutex> guard(space.lock);
	const LooperEntry* entry = find_looper(space, looperToken);
	return entry != NULL ? entry->lock : nullptr;
}

bool
is_looper_alive(const BLooper* looper, const BLocker* lock)
{
	TokenSpace& space = tokens();
	std::lock_guard<std::mutex> guard(space.lock);
	const LooperEntry* entry = find_looper(space, looper);
	return entry != NULL && entry->lock.get() == lock;
}

bool
is_looper_alive(int32 looperToken, const BLocker* lock)
{
	TokenSpace& space = tokens();
	std::lock_guard<std::mutex> guard(space.lock);
	const LooperEntry* entry = find_looper(space, looperToken);
	return entry != NULL && entry->lock.get() == lock;
}

status_t
messenger_tokens(const BHandler* handler, const BLooper* looper, int32* _looperToken,
	int32* _handlerToken)
{
	TokenSpace& space = tokens();
	std::lock_guard<std::mutex> guard(space.lock);
	if (handler != NULL) {
		BLooper* owner = handler->Looper();
		if (owner == NULL)
			return B_BAD_HANDLER;
		if (looper != NULL && looper != owner)
			return B_MISMATCHED_VALUES;
		looper = owner;
	} else if (looper == NULL)
		return B_BAD_VALUE;
	auto found = space.looperTokens.find(looper);
	if (found == space.looperTokens.end())
		return B_BAD_VALUE;
	*_looperToken = found->second;
	*_handlerToken = handler != NULL ? handler->_Token() : kPreferredToken;
	return B_OK;
}

status_t
resolve_target(int32 looperToken, int32 handlerToken, BLooper** _looper, BHandler** _handler)
{
	TokenSpace& space = tokens();
	std::lock_guard<std::mutex> guard(space.lock);
	const LooperEntry* entry = find_looper(space, looperToken);
	if (entry == NULL)
		return B_BAD_PORT_ID;
	BHandler* handler = NULL;
	if (handlerToken != kPreferredToken) {
		auto found = space.handlers.find(handlerToken);
		if (found == space.handlers.end() || found->second->Looper() != entry->looper)
			return B_BAD_HANDLER;
		handler = found->second;
	}
	if (_looper != NULL)
		*_looper = entry->looper;
	if (_handler != NULL)
		*_handler = handler;
	return B_OK;
}

status_t
deliver_message(int32 looperToken, int32 handlerToken, std::unique_ptr<BMessage> message)
{
	TokenSpace& space = tokens();
	std::lock_guard<std::mutex> guard(space.lock);
	const LooperEntry* entry = find_looper(space, looperToken);
	if (entry == NULL)
		return B_BAD_PORT_ID;
	if (handlerToken != kPreferredToken) {
		auto found = space.handlers.find(handlerToken);
		if (found == space.handlers.end() || found->second->Looper() != entry->looper)
			return B_BAD_HANDLER;
	}
	MessagePrivate(message.get()).SetTarget(handlerToken);
	return entry->looper->_Enqueue(std::move(message));
}

BLooper*
looper_for_token(int32 looperToken)
{
	TokenSpace& space = tokens();
	std::lock_guard<std::mutex> guard(space.lock);
	const LooperEntry* entry = find_looper(space, looperToken);
	return entry != NULL ? entry->looper : NULL;
}

} // namespace BPrivate
