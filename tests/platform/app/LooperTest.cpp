#include <Looper.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <Message.h>
#include <Messenger.h>
#include <OS.h>

#include "AppPrivate.h"
#include "TestSupport.h"

namespace {

struct Record {
	uint32 what;
	int32 sender;
	int32 sequence;
	BHandler* handler;
	bool wasCurrent;
	bool wasLocked;
	thread_id thread;
};

// Records every message it or one of its handlers receives. The records are
// only touched on the GUI thread; the count may be read anywhere.
class RecordingLooper : public BLooper {
public:
	using BLooper::BLooper;

	~RecordingLooper() override
	{
		if (deleted != NULL)
			*deleted = true;
	}

	void MessageReceived(BMessage* message) override { Note(this, message); }

	void Note(BHandler* handler, BMessage* message)
	{
		records.push_back(
			Record{message->what, message->GetInt32("sender", -1), message->GetInt32("seq", -1),
				handler, CurrentMessage() == message, IsLocked(), find_thread(NULL)});
		count++;
		if (hook)
			hook(message);
	}

	std::vector<Record> records;
	std::atomic<int32> count{0};
	std::function<void(BMessage*)> hook;
	// Set when the looper is deleted.
	std::atomic<bool>* deleted = NULL;
};

class RecordingHandler : public BHandler {
public:
	using BHandler::BHandler;

	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'PASS')
			BHandler::MessageReceived(message);
		else
			static_cast<RecordingLooper*>(Looper())->Note(this, message);
	}
};

class LooperTest : public testing::Test {
protected:
	void SetUp() override { BPrivate::attach_gui_thread(); }

	static RecordingLooper* Start(const char* name, std::atomic<bool>* deleted = NULL)
	{
		RecordingLooper* looper = new RecordingLooper(name);
		looper->deleted = deleted;
		looper->Run();
		return looper;
	}

	static void Stop(BLooper* looper)
	{
		ASSERT_TRUE(looper->Lock());
		looper->Quit();
	}
};

} // namespace

TEST_F(LooperTest, DispatchesOnTheGuiThreadWithCurrentMessageAndLock)
{
	RecordingLooper* looper = new RecordingLooper("gui");
	looper->PostMessage('EARL');
	glim_test::WaitFor([] { return false; }, 50000);
	EXPECT_EQ(looper->count, 0) << "nothing is dispatched before Run";

	thread_id gui = find_thread(NULL);
	EXPECT_EQ(looper->Run(), gui);
	std::thread([&] { looper->PostMessage('LATE'); }).join();
	ASSERT_TRUE(glim_test::WaitFor([&] { return looper->count == 2; }));
	EXPECT_EQ(looper->records[0].what, (uint32)'EARL');
	EXPECT_EQ(looper->records[1].what, (uint32)'LATE');
	for (const Record& record : looper->records) {
		EXPECT_EQ(record.thread, gui);
		EXPECT_TRUE(record.wasCurrent);
		EXPECT_TRUE(record.wasLocked);
	}
	EXPECT_EQ(looper->CurrentMessage(), nullptr);
	EXPECT_FALSE(looper->IsLocked());
	Stop(looper);
}

TEST_F(LooperTest, WorkerHoldingTheLockDelaysButDoesNotLoseDispatch)
{
	RecordingLooper* looper = Start("held");
	std::atomic<bool> holding{false}, released{false};
	std::vector<bool> sawRelease;
	looper->hook = [&](BMessage*) { sawRelease.push_back(released.load()); };

	std::thread worker([&] {
		ASSERT_EQ(looper->LockWithTimeout(1000000), B_OK);
		EXPECT_EQ(looper->LockingThread(), find_thread(NULL));
		looper->PostMessage('HELD');
		holding = true;
		snooze(150000);
		released = true;
		looper->Unlock();
	});
	ASSERT_TRUE(glim_test::WaitFor([&] { return holding.load(); }));
	ASSERT_TRUE(glim_test::WaitFor([&] { return looper->count == 1; }));
	worker.join();
	ASSERT_EQ(sawRelease.size(), 1u);
	EXPECT_TRUE(sawRelease[0]) << "dispatched only after the worker let go";
	Stop(looper);
}

TEST_F(LooperTest, HandlersTargetsAndThePreferredHandler)
{
	RecordingLooper* looper = new RecordingLooper("handlers");
	RecordingLooper* stranger = new RecordingLooper("stranger");
	RecordingHandler* first = new RecordingHandler("first");
	RecordingHandler* second = new RecordingHandler("second");
	looper->Lock();
	looper->AddHandler(first);
	looper->AddHandler(second);
	looper->Unlock();
	EXPECT_EQ(looper->IndexOf(second), 2);
	EXPECT_EQ(first->Looper(), looper);
	EXPECT_EQ(stranger->PostMessage('NOPE', first), B_MISMATCHED_VALUES);
	looper->Run();

	looper->PostMessage('TOLO');
	looper->PostMessage('TOFI', first);
	looper->PostMessage('PREF', NULL);
	looper->PostMessage('PASS', first);
	ASSERT_TRUE(glim_test::WaitFor([&] { return looper->count == 4; }));
	std::vector<std::pair<uint32, BHandler*>> got;
	for (const Record& record : looper->records)
		got.emplace_back(record.what, record.handler);
	EXPECT_EQ(got,
		(std::vector<std::pair<uint32, BHandler*>>{{'TOLO', looper}, {'TOFI', first},
			{'PREF', looper}, {'PASS', looper}}));

	BMessenger toSecond(second);
	looper->Lock();
	EXPECT_TRUE(looper->RemoveHandler(second));
	EXPECT_FALSE(looper->RemoveHandler(looper));
	looper->Unlock();
	EXPECT_EQ(toSecond.SendMessage('LOST'), B_BAD_HANDLER);
	delete second;
	delete first;
	EXPECT_EQ(looper->IndexOf(first), -1) << "a deleted handler leaves its looper";
	Stop(looper);
	stranger->Quit();
}

TEST_F(LooperTest, QuitFromAnotherThreadHandsDeletionToTheGuiThread)
{
	std::atomic<bool> deleted{false};
	RecordingLooper* looper = Start("remote", &deleted);
	looper->hook = [&](BMessage*) { ADD_FAILURE() << "dispatched after Quit"; };
	BMessenger messenger(looper);
	std::atomic<bool> quit{false};
	std::thread worker([&] {
		ASSERT_TRUE(looper->Lock());
		// The GUI thread meanwhile waits for the lock to dispatch this.
		looper->PostMessage('NEVR');
		snooze(100000);
		looper->Quit();
		quit = true;
	});
	ASSERT_TRUE(glim_test::WaitFor([&] { return quit.load(); }));
	EXPECT_EQ(messenger.SendMessage('LATE'), B_BAD_PORT_ID) << "no message after Quit";
	ASSERT_TRUE(glim_test::WaitFor([&] { return deleted.load(); }));
	worker.join();
	EXPECT_FALSE(messenger.IsValid());

	// A looper that never ran is deleted at once.
	std::atomic<bool> idleDeleted{false};
	RecordingLooper* idle = new RecordingLooper("idle");
	idle->deleted = &idleDeleted;
	std::thread([&] { idle->Quit(); }).join();
	EXPECT_TRUE(idleDeleted);
}

TEST_F(LooperTest, SendersRacingTheDeletionFailCleanly)
{
	const int32 kSenders = 3;
	for (int round = 0; round < 5; round++) {
		std::atomic<bool> deleted{false};
		RecordingLooper* looper = Start("racing", &deleted);
		BMessenger messenger(looper);
		std::atomic<bool> go{false};
		std::atomic<int32> accepted{0};
		std::vector<std::thread> senders;
		for (int32 sender = 0; sender < kSenders; sender++) {
			senders.emplace_back([&, sender] {
				while (!go)
					std::this_thread::yield();
				for (int32 i = 0;; i++) {
					BMessage message('RACE');
					message.AddInt32("sender", sender);
					message.AddInt32("seq", i);
					status_t status = messenger.SendMessage(&message);
					if (status == B_BAD_PORT_ID)
						break;
					ASSERT_EQ(status, B_OK);
					accepted++;
					if (i % 16 == 0 && messenger.LockTargetWithTimeout(1000) == B_OK)
						messenger.Target(NULL)->UnlockLooper();
				}
				// Once refused, always refused.
				EXPECT_EQ(messenger.SendMessage('AFTR'), B_BAD_PORT_ID);
				EXPECT_FALSE(messenger.LockTarget());
			});
		}
		go = true;
		glim_test::WaitFor([&] { return looper->count > 50; });
		// Each sender's messages arrive once each, in the order sent.
		std::map<int32, int32> next;
		for (const Record& record : looper->records)
			ASSERT_EQ(record.sequence, next[record.sender]++) << "sender " << record.sender;
		Stop(looper);
		EXPECT_TRUE(deleted);
		for (std::thread& sender : senders)
			sender.join();
		EXPECT_GT(accepted, 0);
	}
}

TEST_F(LooperTest, RepliesReachTheReturnAddressAndOutliveTheirDispatchWhenDetached)
{
	RecordingLooper* asker = Start("asker");
	RecordingLooper* answerer = Start("answerer");
	RecordingHandler* replyHandler = new RecordingHandler("replies");
	asker->Lock();
	asker->AddHandler(replyHandler);
	asker->Unlock();
	answerer->hook = [&](BMessage* message) {
		EXPECT_TRUE(message->ReturnAddress().IsValid());
		BMessage reply('ANSW');
		reply.AddInt32("seq", 7);
		EXPECT_EQ(message->SendReply(&reply), B_OK);
	};
	BMessage question('ASK?');
	question.AddInt32("sender", 3);
	ASSERT_EQ(answerer->PostMessage(&question, answerer, replyHandler), B_OK);
	ASSERT_TRUE(glim_test::WaitFor([&] { return asker->count == 1; }));
	EXPECT_EQ(asker->records[0].handler, replyHandler);
	EXPECT_EQ(asker->records[0].what, (uint32)'ANSW');
	EXPECT_EQ(asker->records[0].sequence, 7);

	// The answer remembers the question, also once detached from its
	// dispatch.
	std::unique_ptr<BMessage> answer;
	asker->hook = [&](BMessage*) { answer.reset(asker->DetachCurrentMessage()); };
	answerer->hook = [&](BMessage* message) { message->SendReply('ANS2', replyHandler); };
	answerer->PostMessage(&question, answerer, replyHandler);
	ASSERT_TRUE(glim_test::WaitFor([&] { return answer != nullptr; }));
	EXPECT_EQ(answer->what, (uint32)'ANS2');
	ASSERT_NE(answer->Previous(), nullptr);
	EXPECT_EQ(answer->Previous()->what, (uint32)'ASK?');
	EXPECT_EQ(answer->Previous()->GetInt32("sender", 0), 3);
	Stop(asker);
	Stop(answerer);
}

TEST_F(LooperTest, DirectDispatchFollowsTheSameRules)
{
	// How the interface kit hands Qt's input to a window: at once, on the
	// GUI thread, with the lock held and CurrentMessage() set.
	std::atomic<bool> deleted{false};
	RecordingLooper* looper = Start("direct", &deleted);
	std::vector<uint32> order;
	BMessage* outerCurrent = NULL;
	looper->hook = [&](BMessage* message) {
		order.push_back(message->what);
		if (message->what == 'OUTR') {
			outerCurrent = looper->CurrentMessage();
			looper->_DispatchDirectly(std::make_unique<BMessage>('INPT'), NULL);
			EXPECT_EQ(looper->CurrentMessage(), outerCurrent) << "restored after the inner one";
		}
	};
	looper->PostMessage('OUTR');
	ASSERT_TRUE(glim_test::WaitFor([&] { return looper->count == 2; }));
	EXPECT_TRUE(looper->records[1].wasCurrent);
	EXPECT_TRUE(looper->records[1].wasLocked);

	// A nested event loop inside a direct dispatch holds queued messages
	// back; they follow when it returns.
	looper->hook = [&](BMessage* message) {
		order.push_back(message->what);
		if (message->what != 'TRAK')
			return;
		std::thread([&] { looper->PostMessage('HELD'); }).join();
		glim_test::WaitFor([] { return false; }, 50000);
		order.push_back('DONE');
	};
	looper->_DispatchDirectly(std::make_unique<BMessage>('TRAK'), NULL);
	ASSERT_TRUE(glim_test::WaitFor([&] { return looper->count == 4; }));
	order.erase(order.begin(), order.begin() + 2);
	EXPECT_EQ(order, (std::vector<uint32>{'TRAK', 'DONE', 'HELD'}));

	order.clear();
	looper->hook = [&](BMessage* message) {
		order.push_back(message->what);
		looper->Quit();
		order.push_back(deleted ? 'DEAD' : 'ALIV');
	};
	looper->PostMessage('QUEU');
	looper->_DispatchDirectly(std::make_unique<BMessage>('QUIT'), NULL);
	EXPECT_FALSE(deleted) << "never deleted inside the caller's stack";
	ASSERT_TRUE(glim_test::WaitFor([&] { return deleted.load(); }));
	EXPECT_EQ(order, (std::vector<uint32>{'QUIT', 'ALIV'}))
		<< "a quitting looper dispatches nothing more";
}
