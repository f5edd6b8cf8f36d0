// The folder tree: filled from real folders (the chain of folders on the way
// to the current one, a chosen folder's subfolders), and as a drop target: a
// negotiated file drag dropped on a folder is answered with that folder;
// anything else gets no answer.
#include "foldertree/DirectoryView.h"

#include <unistd.h>

#include <Directory.h>
#include <Entry.h>
#include <Message.h>
#include <Messenger.h>
#include <Path.h>
#include <TypeConstants.h>

#include "foldertree/FileListItem.h"
#include "mainwindow/ViewerWin.h"
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


class FolderTreeTest : public ViewerTest {
protected:
	// A top-level item of our own for fDir, filled by ProcessDirectory.
	BFileListItem* AddRoot(BViewerWin* window, const std::string& path, bool addAll)
	{
		BFileListItem* root = new BFileListItem(path.c_str(), "root");
		BDirectory folder(path.c_str());
		Locked(window, [&] {
			window->DirectoryView()->AddItem(root);
			window->ProcessDirectory(&folder, root, addAll);
		});
		return root;
	}

	// The items under parent, one line each, indented by two spaces a level.
	std::vector<std::string> Subtree(BViewerWin* window, BListItem* parent)
	{
		return Locked(window, [&] {
			std::vector<std::string> lines;
			BDirectoryView* tree = window->DirectoryView();
			for (int32 i = tree->FullListIndexOf(parent) + 1; i < tree->FullListCountItems();
				 i++) {
				BStringItem* item = dynamic_cast<BStringItem*>(tree->FullListItemAt(i));
				if (item->OutlineLevel() <= parent->OutlineLevel())
					break;
				std::string line(2 * (item->OutlineLevel() - parent->OutlineLevel() - 1), ' ');
				lines.push_back(line + item->Text());
			}
			return lines;
		});
	}

	TempDir fDir{"tree"};

	// The top-level items for path.
	std::vector<BFileListItem*> Roots(BViewerWin* window, const std::string& path)
	{
		return Locked(window, [&] {
			std::vector<BFileListItem*> roots;
			BDirectoryView* tree = window->DirectoryView();
			for (int32 i = 0; i < tree->FullListCountItems(); i++) {
				BFileListItem* item = dynamic_cast<BFileListItem*>(tree->FullListItemAt(i));
				EXPECT_NE(item, nullptr);
				if (item != NULL && item->OutlineLevel() == 0 && path == item->Path())
					roots.push_back(item);
			}
			return roots;
		});
	}
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

TEST_F(FolderTreeTest, OnlyFoldersOnTheWayToTheCurrentOneAreAdded)
{
	for (const char* folder : {"pics/2024/sub", "pics/2023", "pics/202", "pics/2024-old",
			 "pic/inner", "p", "picsx", "Pics", "other/deep"})
		MakeDirs(fDir / folder);
	// Neither a file nor a link is a folder of the tree, even where its name
	// would put it on the way.
	WriteFile(fDir / "pi", "a file");
	ASSERT_EQ(symlink((fDir / "pics").c_str(), (fDir / "pics/20").c_str()), 0);

	BViewerWin* window = OpenWindow(fDir / "pics/2024");
	BFileListItem* root = AddRoot(window, fDir.Path(), false);
	// "p", "pic" and "pics/202" begin the current folder's path as plain
	// strings, so they count as on the way; only the real chain is descended
	// into, and nothing below the current folder is added.
	EXPECT_EQ(Subtree(window, root),
		(std::vector<std::string>{"p", "pic", "pics", "  202", "  2024"}));

	// An item exists under root only as a direct child of exactly that text.
	window->Lock();
	for (const char* text : {"pic", "Pics", "pics ", "2024", "root", ""}) {
		SCOPED_TRACE(text);
		BFileListItem probe("/elsewhere", text);
		EXPECT_EQ(window->ItemExistsUnder(root, &probe), std::string(text) == "pic");
	}
	window->Unlock();
}

TEST_F(FolderTreeTest, ChosenFolderGetsEverySubfolderOnceSortedCaseSensitively)
{
	// Names compare byte by byte, unsigned: upper case first, UTF-8 last.
	for (const char* folder :
		{"alpha", "Zeta", "beta/deeper", ".hidden", "Beta", "\xc3\xa9t\xc3\xa9"})
		MakeDirs(fDir / "chosen" / folder);
	WriteFile(fDir / "chosen/file", "not a folder");
	ASSERT_EQ(symlink((fDir / "chosen/alpha").c_str(), (fDir / "chosen/link").c_str()), 0);
	ASSERT_EQ(symlink("/nowhere", (fDir / "chosen/dangling").c_str()), 0);

	BViewerWin* window = OpenWindow(fDir / "chosen");
	BFileListItem* root = AddRoot(window, fDir / "chosen", true);
	EXPECT_EQ(Subtree(window, root),
		(std::vector<std::string>{".hidden", "Beta", "Zeta", "alpha", "beta",
			"\xc3\xa9t\xc3\xa9"}));

	// Choosing it again adds none of them twice.
	BDirectory folder((fDir / "chosen").c_str());
	Locked(window, [&] { window->ProcessDirectory(&folder, root, true); });
	EXPECT_EQ(Subtree(window, root).size(), 6u);
}

TEST_F(FolderTreeTest, ChoosingAFolderInTheTreeAddsItsSubfolders)
{
	MakeDirs(fDir / "a/b/c");
	MakeDirs(fDir / "a/b/d");
	MakeDirs(fDir / "a/x");
	BViewerWin* window = OpenWindow(fDir / "a");
	BFileListItem* root = AddRoot(window, fDir.Path(), false);
	ASSERT_EQ(Subtree(window, root), (std::vector<std::string>{"a"}));

	// The user picks "a" in the tree: the window opens it and grows the tree
	// one level under it, without rebuilding it.
	Locked(window, [&] {
		BDirectoryView* tree = window->DirectoryView();
		tree->Select(tree->IndexOf(tree->ItemUnderAt(root, true, 0)));
	});
	Settle([&] { return Subtree(window, root).size() == 3; });
	EXPECT_EQ(Subtree(window, root), (std::vector<std::string>{"a", "  b", "  x"}));
	EXPECT_STREQ(window->FolderPath(), (fDir / "a").c_str());
}

TEST_F(FolderTreeTest, MountedVolumeShowsTheChainToTheCurrentFolder)
{
	if (!CanMount())
		GTEST_SKIP() << "mounting needs privileges";
	std::string writable = Mount(fDir.Path(), "tmpfs", "size=256k");
	std::string readOnly = Mount(fDir.Path(), "tmpfs", "ro,size=64k");
	ASSERT_FALSE(writable.empty());
	MakeDirs(writable + "/photos/2024");
	MakeDirs(writable + "/photos/2025");
	MakeDirs(writable + "/music");

	BViewerWin* window = OpenWindow(writable + "/photos/2024");
	ASSERT_EQ(Roots(window, writable).size(), 1u);
	BFileListItem* root = Roots(window, writable)[0];
	EXPECT_EQ(std::string(root->Text()), writable.substr(writable.rfind('/') + 1));
	EXPECT_EQ(Subtree(window, root), (std::vector<std::string>{"photos", "  2024"}));
	if (!readOnly.empty()) {
		EXPECT_TRUE(Roots(window, readOnly).empty());
	}

	// With the current folder at the top of the volume, its root has no
	// children; opening another way than the tree rebuilds the whole tree.
	BViewerWin* second = OpenWindow(writable);
	ASSERT_EQ(Roots(second, writable).size(), 1u);
	EXPECT_TRUE(Subtree(second, Roots(second, writable)[0]).empty());

	CloseAllWindows();
	Unmount(readOnly);
	Unmount(writable);
}
