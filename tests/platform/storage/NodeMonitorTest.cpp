#include <NodeMonitor.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <Looper.h>
#include <Message.h>

#include "AppPrivate.h"
#include "TestSupport.h"

namespace {

// A 64-bit field of a notice; 0 when missing.
int64
Int64Of(const BMessage& message, const char* name)
{
	int64 value = 0;
	message.FindInt64(name, &value);
	return value;
}

// Keeps every node monitor notice it receives (GUI thread only); runs from
// the start.
class Collector : public BLooper {
public:
	Collector() :
		BLooper("collector")
	{
		Run();
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == B_NODE_MONITOR)
			notices.push_back(*message);
		else
			BLooper::MessageReceived(message);
	}

	// The first notice with this opcode and name, waiting up to 5 s; a
	// failure, and an empty notice, when none comes.
	const BMessage& Expect(int32 opcode, const std::string& name)
	{
		static const BMessage kNone;
		const BMessage* found = NULL;
		if (!BPrivate::process_events_until(
				[&] { return (found = Find(opcode, name)) != NULL; }, 5000000))
			ADD_FAILURE() << "no notice " << opcode << " for \"" << name << "\"";
		return found != NULL ? *found : kNone;
	}

	const BMessage* Find(int32 opcode, const std::string& name) const
	{
		for (const BMessage& notice : notices) {
			if (notice.GetInt32("opcode", 0) == opcode && name == notice.GetString("name", ""))
				return &notice;
		}
		return NULL;
	}

	std::vector<BMessage> notices;
};

node_ref
node_for(const std::string& path)
{
	struct stat info;
	EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
	node_ref node(info.st_dev, info.st_ino);
	node._SetPath(path);
	return node;
}

void
settle()
{
	BPrivate::process_events_until([] { return false; }, 150000);
}

class NodeMonitorTest : public testing::Test {
protected:
	void SetUp() override
	{
		static int argc = 1;
		static char name[] = "NodeMonitorTest";
		static char* argv[] = {name, NULL};
		BPrivate::ensure_qt_application(argc, argv);
		fCollector = new Collector;
		fMessenger = BMessenger(fCollector);
	}

	void TearDown() override
	{
		stop_watching(fMessenger);
		if (fCollector->Lock())
			fCollector->Quit();
	}

	glim_test::TempDir fDir{"monitor"};
	Collector* fCollector = NULL;
	BMessenger fMessenger;
};

} // namespace

TEST_F(NodeMonitorTest, MovesInOutAndBetweenWatchedFolders)
{
	glim_test::MakeDirs(fDir / "watched");
	glim_test::MakeDirs(fDir / "other");
	glim_test::MakeDirs(fDir / "elsewhere");
	node_ref watched = node_for(fDir / "watched");
	node_ref other = node_for(fDir / "other");
	ASSERT_EQ(watch_node(&watched, B_WATCH_DIRECTORY, fMessenger), B_OK);

	glim_test::WriteFile(fDir / "elsewhere/in.gif", "x");
	std::filesystem::rename(fDir / "elsewhere/in.gif", fDir / "watched/in.gif");
	const BMessage& movedIn = fCollector->Expect(B_ENTRY_CREATED, "in.gif");
	EXPECT_EQ(Int64Of(movedIn, "node"), (int64)node_for(fDir / "watched/in.gif").node);

	std::filesystem::rename(fDir / "watched/in.gif", fDir / "elsewhere/out.gif");
	fCollector->Expect(B_ENTRY_REMOVED, "in.gif");

	// Between two folders the target watches: one move, with both folders.
	ASSERT_EQ(watch_node(&other, B_WATCH_DIRECTORY, fMessenger), B_OK);
	glim_test::WriteFile(fDir / "watched/across.png", "x");
	fCollector->Expect(B_ENTRY_CREATED, "across.png");
	std::filesystem::rename(fDir / "watched/across.png", fDir / "other/there.png");
	const BMessage& across = fCollector->Expect(B_ENTRY_MOVED, "there.png");
	EXPECT_EQ(Int64Of(across, "from directory"), (int64)watched.node);
	EXPECT_EQ(Int64Of(across, "to directory"), (int64)other.node);
	settle();
	int32 moves = 0;
	for (const BMessage& notice : fCollector->notices)
		moves += notice.GetInt32("opcode", 0) == B_ENTRY_MOVED ? 1 : 0;
	EXPECT_EQ(moves, 1);
}

TEST_F(NodeMonitorTest, StopWatchingEndsNoticesPerTargetAndATargetGoneIsDropped)
{
	Collector* second = new Collector;
	BMessenger secondMessenger(second);
	node_ref folder = node_for(fDir.Path());
	ASSERT_EQ(watch_node(&folder, B_WATCH_DIRECTORY, fMessenger), B_OK);
	// Watched twice (two windows on one folder, both through the
	// application): one stop ends one of the watches only.
	ASSERT_EQ(watch_node(&folder, B_WATCH_DIRECTORY, secondMessenger), B_OK);
	ASSERT_EQ(watch_node(&folder, B_WATCH_DIRECTORY, secondMessenger), B_OK);

	ASSERT_EQ(watch_node(&folder, B_STOP_WATCHING, fMessenger), B_OK);
	EXPECT_EQ(watch_node(&folder, B_STOP_WATCHING, fMessenger), B_BAD_VALUE);
	ASSERT_EQ(watch_node(&folder, B_STOP_WATCHING, secondMessenger), B_OK);
	glim_test::WriteFile(fDir / "second only", "x");
	second->Expect(B_ENTRY_CREATED, "second only");
	settle();
	EXPECT_EQ(fCollector->Find(B_ENTRY_CREATED, "second only"), nullptr);

	// The second target, still watching once, goes: the next notice finds
	// it dead and drops its watch; watching anew starts clean.
	second->Lock();
	second->Quit();
	glim_test::WriteFile(fDir / "after", "x");
	settle();
	EXPECT_EQ(watch_node(&folder, B_STOP_WATCHING, secondMessenger), B_BAD_VALUE);
	ASSERT_EQ(watch_node(&folder, B_WATCH_DIRECTORY, fMessenger), B_OK);
	glim_test::WriteFile(fDir / "later", "x");
	fCollector->Expect(B_ENTRY_CREATED, "later");
}

TEST_F(NodeMonitorTest, WatchingTheNodeItself)
{
	std::string file = fDir / "photo.jpg";
	glim_test::WriteFile(file, "x");
	node_ref node = node_for(file);
	ASSERT_EQ(watch_node(&node, B_WATCH_STAT | B_WATCH_ATTR | B_WATCH_NAME, fMessenger), B_OK);

	ASSERT_EQ(chmod(file.c_str(), 0600), 0);
	const BMessage& stat = fCollector->Expect(B_STAT_CHANGED, "");
	EXPECT_EQ(Int64Of(stat, "node"), (int64)node.node);
	fCollector->Expect(B_ATTR_CHANGED, "");

	ASSERT_EQ(rename(file.c_str(), (fDir / "renamed.jpg").c_str()), 0);
	const BMessage& moved = fCollector->Expect(B_ENTRY_MOVED, "renamed.jpg");
	EXPECT_STREQ(moved.GetString("from name"), "photo.jpg");
	EXPECT_EQ(Int64Of(moved, "to directory"), (int64)node_for(fDir.Path()).node);

	ASSERT_EQ(unlink((fDir / "renamed.jpg").c_str()), 0);
	fCollector->Expect(B_ENTRY_REMOVED, "renamed.jpg");
}

TEST_F(NodeMonitorTest, RefusesWhatItCannotWatch)
{
	node_ref folder = node_for(fDir.Path());
	EXPECT_EQ(watch_node(NULL, B_WATCH_DIRECTORY, fMessenger), B_BAD_VALUE);
	EXPECT_EQ(watch_node(&folder, B_WATCH_DIRECTORY, BMessenger()), B_BAD_VALUE);

	node_ref pathless(folder.device, folder.node);
	EXPECT_EQ(watch_node(&pathless, B_WATCH_DIRECTORY, fMessenger), B_BAD_VALUE);

	node_ref missing = folder;
	missing._SetPath(fDir / "does not exist");
	EXPECT_EQ(watch_node(&missing, B_WATCH_DIRECTORY, fMessenger), B_ENTRY_NOT_FOUND);

	glim_test::MakeDirs(fDir / "another");
	node_ref stale = folder;
	stale._SetPath(fDir / "another");
	EXPECT_EQ(watch_node(&stale, B_WATCH_DIRECTORY, fMessenger), B_ENTRY_NOT_FOUND)
		<< "the path names another node";
	EXPECT_EQ(watch_node(&folder, B_STOP_WATCHING, fMessenger), B_BAD_VALUE);
}

TEST_F(NodeMonitorTest, WatchersOnSeveralThreadsWhileFilesChange)
{
	node_ref folder = node_for(fDir.Path());
	std::atomic<bool> done{false};
	std::thread writer([&] {
		for (int i = 0; !done && i < 2000; i++) {
			std::string path = fDir / ("churn" + std::to_string(i % 8));
			glim_test::WriteFile(path, "x");
			unlink(path.c_str());
		}
	});
	std::vector<std::thread> watchers;
	for (int t = 0; t < 3; t++) {
		watchers.emplace_back([&] {
			for (int i = 0; i < 50; i++) {
				EXPECT_EQ(watch_node(&folder, B_WATCH_DIRECTORY, fMessenger), B_OK);
				watch_node(&folder, B_STOP_WATCHING, fMessenger);
			}
		});
	}
	for (std::thread& watcher : watchers)
		watcher.join();
	done = true;
	writer.join();
	stop_watching(fMessenger);
	// Notices sent before the stop may still wait in the collector's queue
	// (a slow build, a loaded machine): take them all before counting.
	size_t seen;
	do {
		seen = fCollector->notices.size();
		settle();
	} while (fCollector->notices.size() != seen);
	glim_test::WriteFile(fDir / "quiet", "x");
	settle();
	EXPECT_EQ(fCollector->notices.size(), seen) << "nothing after the last stop";
}
