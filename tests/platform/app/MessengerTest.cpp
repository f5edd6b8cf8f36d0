#include <Messenger.h>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include <Handler.h>
#include <Looper.h>
#include <Message.h>

#include "AppPrivate.h"

namespace {

class MessengerTest : public testing::Test {
protected:
	void SetUp() override
	{
		BPrivate::attach_gui_thread();
		fInbox = new BLooper("inbox");
		fHandler = new BHandler("handler");
		fInbox->Lock();
		fInbox->AddHandler(fHandler);
		fInbox->Unlock();
		fInbox->Run();
	}

	void TearDown() override
	{
		if (fInbox != NULL && fInbox->Lock())
			fInbox->Quit();
		delete fHandler;
	}

	BLooper* fInbox = NULL;
	BHandler* fHandler = NULL;
};

} // namespace

TEST_F(MessengerTest, ConstructionChecksItsTarget)
{
	BHandler loose("loose");
	BLooper other("other");
	const struct {
		const char* what;
		BHandler* handler;
		BLooper* looper;
		status_t result;
		BHandler* target;
	} kCases[] = {
		{"nothing", NULL, NULL, B_BAD_VALUE, NULL},
		{"a handler in no looper", &loose, NULL, B_BAD_HANDLER, NULL},
		{"a handler in another looper", fHandler, &other, B_MISMATCHED_VALUES, NULL},
		{"a handler", fHandler, NULL, B_OK, fHandler},
		// The preferred handler is not named.
		{"a looper's preferred handler", NULL, fInbox, B_OK, NULL},
	};
	for (const auto& test : kCases) {
		SCOPED_TRACE(test.what);
		status_t result = B_ERROR;
		BMessenger messenger(test.handler, test.looper, &result);
		EXPECT_EQ(result, test.result);
		EXPECT_EQ(messenger.IsValid(), result == B_OK);
		BLooper* looper = NULL;
		EXPECT_EQ(messenger.Target(&looper), test.target);
		EXPECT_EQ(looper, result == B_OK ? fInbox : NULL);
		if (result != B_OK) {
			EXPECT_EQ(messenger.SendMessage('NONE'), B_BAD_PORT_ID);
		} else
			EXPECT_TRUE(messenger.IsTargetLocal());
	}
	BMessenger toHandler(fHandler, NULL);
	EXPECT_EQ(BMessenger(fHandler), toHandler);
	EXPECT_NE(BMessenger(fInbox), toHandler);
}

TEST_F(MessengerTest, LockTargetTimesOutAndFailsWhenTheLooperDiesMeanwhile)
{
	BMessenger messenger(fInbox);
	ASSERT_TRUE(messenger.LockTarget());
	EXPECT_EQ(fInbox->LockingThread(), find_thread(NULL));
	status_t other = B_OK;
	std::thread([&] { other = messenger.LockTargetWithTimeout(20000); }).join();
	EXPECT_EQ(other, B_TIMED_OUT);
	fInbox->Unlock();

	// A thread waiting for the lock while the looper is deleted gives up.
	ASSERT_TRUE(fInbox->Lock());
	std::atomic<bool> waiting{false};
	std::thread waiter([&] {
		waiting = true;
		other = messenger.LockTargetWithTimeout(5000000);
	});
	while (!waiting)
		std::this_thread::yield();
	snooze(20000);
	fInbox->Quit();
	fInbox = NULL;
	waiter.join();
	EXPECT_EQ(other, B_BAD_PORT_ID);
}
