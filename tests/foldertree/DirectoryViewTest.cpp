// The folder tree as a drop target: a negotiated file drag dropped on a
// folder is answered with that folder; anything else gets no answer.
#include "foldertree/DirectoryView.h"

#include <Entry.h>
#include <Message.h>
#include <Messenger.h>
#include <Path.h>
#include <TypeConstants.h>

#include "foldertree/FileListItem.h"
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

class DirectoryViewTest : public ViewerTest {
protected:
	void SetUp() override
	{
		ViewerTest::SetUp();
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
		ViewerTest::TearDown();
	}

	// A negotiated drag of a file; without "be:types" when type is NULL.
	static BMessage Offer(const char* name, uint32 firstAction = B_MOVE_TARGET,
		const char* type = B_FILE_MIME_TYPE)
	{
		BMessage message(B_SIMPLE_DATA);
		if (type != NULL)
			message.AddString("be:types", type);
		message.AddString("be:filetypes", "image/png");
		message.AddInt32("be:actions", firstAction);
		message.AddInt32("be:actions", B_TRASH_TARGET);
		message.AddString("be:clip_name", name);
		return message;
	}

	// The screen point in the middle of the visible item with that text.
	BPoint OnItem(const char* text)
	{
		return Locked(fWindow, [&] {
			BPoint where(-1, -1);
			for (int32 i = 0; i < fTree->CountItems(); i++) {
				BStringItem* item = dynamic_cast<BStringItem*>(fTree->ItemAt(i));
				BRect frame = fTree->ItemFrame(i);
				if (std::string(item->Text()) == text) {
					where = fTree->ConvertToScreen(
						BPoint(frame.left + 20, (frame.top + frame.bottom) / 2));
				}
			}
			return where;
		});
	}

	void Drop(const BMessage& message, BPoint screenWhere)
	{
		Locked(fWindow, [&] { BPrivate::simulate_drop(fTree, message, screenWhere, fSink); });
	}

	// A reply in one line: its action, types, name and folder.
	static std::string Summary(const BMessage& reply)
	{
		entry_ref ref;
		BPath path;
		if (reply.FindRef("directory", &ref) == B_OK)
			path.SetTo(&ref);
		return std::to_string(reply.what) + " " + reply.GetString("be:types", "-") + " "
			+ reply.GetString("be:filetypes", "-") + " " + reply.GetString("name", "-") + " in "
			+ (path.Path() != NULL ? path.Path() : "(none)");
	}

	// Waits for the replies to every drop so far: a last, good drop is made
	// and its reply awaited, so earlier drops have been handled too. Returns
	// the replies before that last one, summed up.
	std::vector<std::string> RepliesAfterAll()
	{
		Drop(Offer("last"), OnItem("gamma"));
		EXPECT_TRUE(Settle([&] {
			return Locked(fWindow, [&] {
				return !fSink->replies.empty()
					&& std::string(fSink->replies.back().GetString("name", "")) == "last";
			});
		}));
		std::vector<BMessage> replies = Locked(fWindow, [&] { return fSink->replies; });
		std::vector<std::string> summaries;
		for (size_t i = 0; i + 1 < replies.size(); i++)
			summaries.push_back(Summary(replies[i]));
		return summaries;
	}

	// The reply to a drop of the file name on folder.
	std::string Answer(uint32 action, const char* name, const char* folder)
	{
		return std::to_string(action) + " " + B_FILE_MIME_TYPE + " image/png " + name + " in "
			+ fDir / folder;
	}

	TempDir fDir{"drop"};
	BWindow* fWindow = NULL;
	BDirectoryView* fTree = NULL;
	ReplySink* fSink = NULL;
};

} // namespace

// The reply carries the first action offered, the file type asked for
// (whatever the case of the offered one), the name and the folder under the
// point, also where that folder's item is collapsed.
TEST_F(DirectoryViewTest, EveryNegotiatedDropOnAFolderIsAnsweredWithThatFolder)
{
	Locked(fWindow, [&] { fTree->Collapse(fTree->ItemAt(0)); });
	Drop(Offer("photo.png"), OnItem("beta"));
	Drop(Offer("trash", B_TRASH_TARGET), OnItem("beta"));
	Drop(Offer("cased", B_MOVE_TARGET, "Application/Octet-STREAM"), OnItem("gamma"));
	// The drops are handled in turn; the tree may change only after them.
	Settle([&] { return Locked(fWindow, [&] { return fSink->replies.size() == 3; }); });
	Locked(fWindow, [&] { fTree->Expand(fTree->ItemAt(0)); });
	Drop(Offer("inner"), OnItem("inner"));

	EXPECT_EQ(RepliesAfterAll(),
		(std::vector<std::string>{Answer(B_MOVE_TARGET, "photo.png", "beta"),
			Answer(B_TRASH_TARGET, "trash", "beta"), Answer(B_MOVE_TARGET, "cased", "gamma"),
			Answer(B_MOVE_TARGET, "inner", "alpha/inner")}));
}

TEST_F(DirectoryViewTest, DropsThatAreNotNegotiatedFileMovesGetNoAnswer)
{
	BPoint belowLast = Locked(fWindow, [&] {
		BRect last = fTree->ItemFrame(fTree->CountItems() - 1);
		return fTree->ConvertToScreen(BPoint(20, last.bottom + 10));
	});
	Drop(Offer("below"), belowLast);
	Drop(Offer("other type", B_MOVE_TARGET, "text/plain"), OnItem("beta"));
	Drop(Offer("no types", B_MOVE_TARGET, NULL), OnItem("beta"));
	for (const char* missing : {"be:filetypes", "be:actions"}) {
		BMessage offer = Offer((std::string("no ") + missing).c_str());
		offer.RemoveName(missing);
		Drop(offer, OnItem("beta"));
	}

	// Files from the desktop come as "refs" without negotiation.
	BMessage refs(B_SIMPLE_DATA);
	entry_ref ref;
	get_ref_for_path((fDir / "beta").c_str(), &ref);
	refs.AddRef("refs", &ref);
	Drop(refs, OnItem("beta"));

	// The same offer sent, not dropped, is no drop at all.
	BMessage sent = Offer("sent");
	BMessenger(fTree).SendMessage(&sent, fSink);

	EXPECT_EQ(RepliesAfterAll(), std::vector<std::string>{});
}
