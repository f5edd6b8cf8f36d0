#include <Messenger.h>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include <Handler.h>
#include <Looper.h>
#include <Message.h>

#include "AppPrivate.h"

namespace {

void
ensure_application()
{
	static int argc = 1;
	static char name[] = "MessengerTest";
	static char* argv[] = {name, NULL};
	BPrivate::ensure_qt_application(argc, argv);
}

// Keeps the last message each of its handlers received.
class Inbox : public BLooper {
public:
	Inbox() :
		BLooper("inbox")
	{
	}

	void MessageReceived(BMessage* message) override
	{
		last = *message;
		lastHandler = this;
		count++;
	}

	BMessage last;
	BHandler* lastHandler = NULL;
	int32 count = 0;
};

class InboxHandler : public BHandler {
public:
	InboxHandler() :
		BHandler("handler")
	{
	}

	void MessageReceived(BMessage* message) override
	{
		Inbox* inbox = static_cast<Inbox*>(Looper());
		inbox->last = *message;
		inbox->lastHandler = this;
		inbox->count++;
	}
};

bool
wait_for_count(Inbox* inbox, int32 count)
{
	return BPrivate::process_events_until([&] { return inbox->count >= count; }, 5000000);
}

class MessengerTest : public testing::Test {
protected:
	void SetUp() override
	{
		ensure_application();
		fInbox = new Inbox;
		fHandler = new InboxHandler;
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

	Inbox* fInbox = NULL;
	InboxHandler* fHandler = NULL;
};

} // namespace

TEST_F(MessengerTest, ConstructionChecksItsTarget)
{
	status_t result = B_OK;
	BMessenger none(NULL, NULL, &result);
	EXPECT_EQ(result, B_BAD_VALUE);
	EXPECT_FALSE(none.IsValid());
	EXPECT_EQ(none.SendMessage('NONE'), B_BAD_PORT_ID);

	BHandler loose("loose");
	BMessenger toLoose(&loose, NULL, &result);
	EXPECT_EQ(result, B_BAD_HANDLER);
	EXPECT_FALSE(toLoose.IsValid());

	BLooper other("other");
	BMessenger mismatched(fHandler, &other, &result);
	EXPECT_EQ(result, B_MISMATCHED_VALUES);
	EXPECT_FALSE(mismatched.IsValid());

	BMessenger toHandler(fHandler, NULL, &result);
	EXPECT_EQ(result, B_OK);
	BLooper* looper = NULL;
	EXPECT_EQ(toHandler.Target(&looper), fHandler);
	EXPECT_EQ(looper, fInbox);
	EXPECT_TRUE(toHandler.IsTargetLocal());

	BMessenger preferred(NULL, fInbox, &result);
	EXPECT_EQ(result, B_OK);
	EXPECT_EQ(preferred.Target(&looper), nullptr) << "the preferred handler is not named";
	EXPECT_EQ(looper, fInbox);

	EXPECT_EQ(BMessenger(fHandler), toHandler);
	EXPECT_NE(BMessenger(fInbox), toHandler);
	BMessenger copy;
	copy = toHandler;
	EXPECT_EQ(copy, toHandler);
}

TEST_F(MessengerTest, SendsCopiesToTheNamedHandlerOrTheLooper)
{
	BMessenger toHandler(fHandler);
	BMessage message('HELO');
	message.AddString("text", "hello");
	ASSERT_EQ(toHandler.SendMessage(&message), B_OK);
	message.RemoveName("text");
	message.AddString("text", "changed after sending");
	ASSERT_TRUE(wait_for_count(fInbox, 1));
	EXPECT_EQ(fInbox->lastHandler, fHandler);
	EXPECT_STREQ(fInbox->last.GetString("text"), "hello");

	BMessenger preferred(NULL, fInbox);
	ASSERT_EQ(preferred.SendMessage('PREF'), B_OK);
	ASSERT_TRUE(wait_for_count(fInbox, 2));
	EXPECT_EQ(fInbox->lastHandler, fInbox);
}

TEST_F(MessengerTest, ReplyTargetBecomesTheReturnAddress)
{
	BMessenger toLooper(fInbox);
	ASSERT_EQ(toLooper.SendMessage('ASK1', fHandler), B_OK);
	ASSERT_TRUE(wait_for_count(fInbox, 1));
	EXPECT_EQ(fInbox->last.ReturnAddress(), BMessenger(fHandler));

	BMessage message('ASK2');
	ASSERT_EQ(toLooper.SendMessage(&message, BMessenger()), B_OK);
	ASSERT_TRUE(wait_for_count(fInbox, 2));
	EXPECT_FALSE(fInbox->last.ReturnAddress().IsValid());
	EXPECT_EQ(fInbox->last.SendReply('NOPE'), B_BAD_REPLY);
}

TEST_F(MessengerTest, MessengersInsideMessagesStillReachTheirTarget)
{
	BMessage carrier('CARY');
	carrier.AddMessenger("target", BMessenger(fHandler));
	std::vector<char> flat(carrier.FlattenedSize());
	ASSERT_EQ(carrier.Flatten(flat.data(), flat.size()), B_OK);
	BMessage unflattened;
	ASSERT_EQ(unflattened.Unflatten(flat.data(), flat.size()), B_OK);
	BMessenger target;
	ASSERT_EQ(unflattened.FindMessenger("target", &target), B_OK);
	EXPECT_TRUE(target.IsValid());
	ASSERT_EQ(target.SendMessage('VIA!'), B_OK);
	ASSERT_TRUE(wait_for_count(fInbox, 1));
	EXPECT_EQ(fInbox->lastHandler, fHandler);
}

TEST_F(MessengerTest, TargetGoneMeansCleanFailure)
{
	BMessenger toHandler(fHandler);
	BMessenger toLooper(fInbox);
	fInbox->Lock();
	fInbox->RemoveHandler(fHandler);
	fInbox->Unlock();
	EXPECT_FALSE(toHandler.IsValid());
	EXPECT_EQ(toHandler.SendMessage('LOST'), B_BAD_HANDLER);
	EXPECT_EQ(toHandler.Target(NULL), nullptr);
	EXPECT_TRUE(toLooper.IsValid());

	fInbox->Lock();
	fInbox->Quit();
	fInbox = NULL;
	EXPECT_FALSE(toLooper.IsValid());
	EXPECT_EQ(toLooper.SendMessage('GONE'), B_BAD_PORT_ID);
	BLooper* looper = (BLooper*)1;
	EXPECT_EQ(toLooper.Target(&looper), nullptr);
	EXPECT_EQ(looper, nullptr);
	EXPECT_FALSE(toLooper.LockTarget());
	EXPECT_EQ(toLooper.LockTargetWithTimeout(0), B_BAD_PORT_ID);
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
