// Filling the folder tree from real folders: the chain of folders on the
// way to the current one, a chosen folder's subfolders.
#include "mainwindow/ViewerWin.h"

#include <unistd.h>

#include <Directory.h>

#include "foldertree/DirectoryView.h"
#include "foldertree/FileListItem.h"
#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

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
