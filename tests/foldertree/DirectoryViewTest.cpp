// The folder tree as a drop target: a negotiated file drag dropped on a
// folder is answered with that folder; anything else gets no answer.
#include "foldertree/DirectoryView.h"

#include <memory>
#include <string>
#include <vector>

#include <AppDefs.h>
#include <Entry.h>
#include <Message.h>
#include <Messenger.h>
#include <Path.h>
#include <TypeConstants.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include "foldertree/FileListItem.h"
#include "TestHooks.h"
#include "TestSupport.h"
#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

// Stands for the thumbnail grid: the drag's source, which records replies.
class ReplySink : public BView {
public:
	ReplySink() :
		BView(BRect(300, 0, 399, 99), "sink", B_FOLLOW_NONE, 0)
	{
	}

	void MessageReceived(BMessage* message) override { replies.push_back(*message); }

	std::vector<BMessage> replies;
};

class DirectoryViewTest : public testing::Test {
protected:
	void SetUp() override
	{
		fApp.reset(new TestApp);
		for (const char* folder : {"alpha", "alpha/inner", "beta", "gamma"})
			MakeDirs(fDir / folder);
		fWindow = new BWindow(BRect(50, 50, 449, 349), "tree", B_TITLED_WINDOW, 0);
		fTree = new BDirectoryView(fWindow, BRect(0, 0, 199, 299), "GlimDirectoryView",
			B_SINGLE_SELECTION_LIST, B_FOLLOW_ALL, B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE);
		fSink = new ReplySink;
		fWindow->AddChild(fTree);
		fWindow->AddChild(fSink);
		fWindow->Lock();
		BFileListItem* alpha = new BFileListItem((fDir / "alpha").c_str(), "alpha");
		fTree->AddItem(alpha);
		fTree->AddUnder(new BFileListItem((fDir / "alpha/inner").c_str(), "inner"), alpha);
		fTree->AddItem(new BFileListItem((fDir / "beta").c_str(), "beta"));
		fTree->AddItem(new BFileListItem((fDir / "gamma").c_str(), "gamma"));
		fWindow->Unlock();
		fWindow->Show();
		Settle();
	}

	void TearDown() override
	{
		if (fWindow->Lock())
			fWindow->Quit();
		fApp.reset();
	}

	static BMessage Offer(const char* name, uint32 firstAction = B_MOVE_TARGET)
	{
		BMessage message(B_SIMPLE_DATA);
		message.AddString("be:types", B_FILE_MIME_TYPE);
		message.AddString("be:filetypes", "image/png");
		message.AddInt32("be:actions", firstAction);
		message.AddInt32("be:actions", B_TRASH_TARGET);
		message.AddString("be:clip_name", name);
		return message;
	}

	// The screen point in the middle of the visible item with that text.
	BPoint OnItem(const char* text)
	{
		fWindow->Lock();
		BPoint where(-1, -1);
		for (int32 i = 0; i < fTree->CountItems(); i++) {
			BStringItem* item = dynamic_cast<BStringItem*>(fTree->ItemAt(i));
			if (std::string(item->Text()) == text) {
				BRect frame = fTree->ItemFrame(i);
				where = fTree->ConvertToScreen(
					BPoint(frame.left + 20, (frame.top + frame.bottom) / 2));
			}
		}
		fWindow->Unlock();
		return where;
	}

	void Drop(const BMessage& message, BPoint screenWhere)
	{
		fWindow->Lock();
		BPrivate::simulate_drop(fTree, message, screenWhere, fSink);
		fWindow->Unlock();
	}

	// Waits for the replies to every drop so far: a last, good drop is made
	// and its reply awaited, so earlier drops have been handled too.
	std::vector<BMessage> RepliesAfterAll()
	{
		Drop(Offer("last"), OnItem("gamma"));
		Settle([&] {
			return !fSink->replies.empty()
				&& std::string(fSink->replies.back().GetString("name", "")) == "last";
		});
		fWindow->Lock();
		std::vector<BMessage> replies = fSink->replies;
		fWindow->Unlock();
		EXPECT_FALSE(replies.empty());
		if (!replies.empty())
			replies.pop_back();
		return replies;
	}

	static std::string FolderOf(const BMessage& reply)
	{
		entry_ref ref;
		if (reply.FindRef("directory", &ref) != B_OK)
			return "(none)";
		BPath path(&ref);
		return path.Path() != NULL ? path.Path() : "(bad)";
	}

	TempDir fDir{"drop"};
	std::unique_ptr<TestApp> fApp;
	BWindow* fWindow = NULL;
	BDirectoryView* fTree = NULL;
	ReplySink* fSink = NULL;
};

} // namespace

TEST_F(DirectoryViewTest, DropOnAFolderAnswersWithTheFirstActionAndThatFolder)
{
	Drop(Offer("photo.png"), OnItem("beta"));
	std::vector<BMessage> replies = RepliesAfterAll();
	ASSERT_EQ(replies.size(), 1u);
	const BMessage& reply = replies[0];
	EXPECT_EQ(reply.what, (uint32)B_MOVE_TARGET);
	EXPECT_STREQ(reply.GetString("be:types", ""), B_FILE_MIME_TYPE);
	EXPECT_STREQ(reply.GetString("be:filetypes", ""), "image/png");
	EXPECT_STREQ(reply.GetString("name", ""), "photo.png");
	EXPECT_EQ(FolderOf(reply), fDir / "beta");
}

TEST_F(DirectoryViewTest, EveryNegotiatedDropIsAnsweredForTheItemUnderThePoint)
{
	fWindow->Lock();
	fTree->Collapse(fTree->ItemAt(0));
	fWindow->Unlock();
	struct Case {
		const char* name;
		const char* item;
		uint32 action;
		const char* type;
		const char* folder;
	} cases[] = {
		{"first", "alpha", B_MOVE_TARGET, B_FILE_MIME_TYPE, "alpha"}, // collapsed
		{"trash", "beta", B_TRASH_TARGET, B_FILE_MIME_TYPE, "beta"},
		{"cased", "gamma", B_MOVE_TARGET, "Application/Octet-STREAM", "gamma"},
	};
	for (const Case& test : cases) {
		BMessage offer = Offer(test.name, test.action);
		offer.RemoveName("be:types");
		offer.AddString("be:types", test.type);
		Drop(offer, OnItem(test.item));
	}
	// The drops are handled in turn; the tree may change only after them.
	Settle([&] {
		fWindow->Lock();
		size_t count = fSink->replies.size();
		fWindow->Unlock();
		return count == 3;
	});
	fWindow->Lock();
	fTree->Expand(fTree->ItemAt(0));
	fWindow->Unlock();
	Drop(Offer("inner"), OnItem("inner"));

	std::vector<BMessage> replies = RepliesAfterAll();
	ASSERT_EQ(replies.size(), 4u);
	for (size_t i = 0; i < 3; i++) {
		SCOPED_TRACE(cases[i].name);
		EXPECT_EQ(replies[i].what, cases[i].action);
		EXPECT_STREQ(replies[i].GetString("name", ""), cases[i].name);
		EXPECT_STREQ(replies[i].GetString("be:types", ""), B_FILE_MIME_TYPE);
		EXPECT_EQ(FolderOf(replies[i]), fDir / cases[i].folder);
	}
	EXPECT_EQ(FolderOf(replies[3]), fDir / "alpha/inner");
}

TEST_F(DirectoryViewTest, DropsThatAreNotNegotiatedFileMovesGetNoAnswer)
{
	fWindow->Lock();
	BRect last = fTree->ItemFrame(fTree->CountItems() - 1);
	BPoint belowLast = fTree->ConvertToScreen(BPoint(20, last.bottom + 10));
	fWindow->Unlock();
	Drop(Offer("below"), belowLast);

	BMessage otherType = Offer("other type");
	otherType.RemoveName("be:types");
	otherType.AddString("be:types", "text/plain");
	Drop(otherType, OnItem("beta"));

	BMessage noTypes = Offer("no types");
	noTypes.RemoveName("be:types");
	Drop(noTypes, OnItem("beta"));

	BMessage noFileTypes = Offer("no file types");
	noFileTypes.RemoveName("be:filetypes");
	Drop(noFileTypes, OnItem("beta"));

	BMessage noActions = Offer("no actions");
	noActions.RemoveName("be:actions");
	Drop(noActions, OnItem("beta"));

	// Files from the desktop come as "refs" without negotiation.
	BMessage refs(B_SIMPLE_DATA);
	entry_ref ref;
	get_ref_for_path((fDir / "beta").c_str(), &ref);
	refs.AddRef("refs", &ref);
	Drop(refs, OnItem("beta"));

	// The same offer sent, not dropped, is no drop at all.
	BMessage sent = Offer("sent");
	BMessenger(fTree).SendMessage(&sent, fSink);

	std::vector<BMessage> replies = RepliesAfterAll();
	for (const BMessage& reply : replies)
		ADD_FAILURE() << "unexpected reply for " << reply.GetString("name", "?");
}
