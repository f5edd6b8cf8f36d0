// Outline lists: the tree's shape, shown items against the full list,
// counting and sorting under an item, and expanding and collapsing by
// mouse and keys.
#include <map>

#include <OutlineListView.h>
#include <ScrollView.h>
#include <StringItem.h>

#include "InterfaceTestSupport.h"

namespace {

const uint32 kSelected = 'Dsel';


// The test's items by name; the list never deletes them.
class Items {
public:
	BStringItem* operator[](const std::string& name)
	{
		return &fItems.try_emplace(name, name.c_str()).first->second;
	}

private:
	std::map<std::string, BStringItem> fItems;
};


// The texts of the full list (or the shown items), each prefixed with its
// outline level.
std::string
Shape(const BOutlineListView& list, bool fullList = true)
{
	std::string shape;
	int32 count = fullList ? list.FullListCountItems() : list.CountItems();
	for (int32 i = 0; i < count; i++) {
		BStringItem* item = static_cast<BStringItem*>(
			fullList ? list.FullListItemAt(i) : list.ItemAt(i));
		shape += (i > 0 ? " " : "") + std::to_string(item->OutlineLevel()) + item->Text();
	}
	return shape;
}


int
CompareTexts(const BListItem* a, const BListItem* b)
{
	return strcmp(static_cast<const BStringItem*>(a)->Text(),
		static_cast<const BStringItem*>(b)->Text());
}


// a (a1 (a1x), a2), b (b1)
void
BuildTree(BOutlineListView& list, Items& items)
{
	ASSERT_TRUE(list.AddItem(items["a"]));
	ASSERT_TRUE(list.AddItem(items["b"]));
	for (auto [name, under] : {std::pair{"a1", "a"}, {"a2", "a"}, {"a1x", "a1"}, {"b1", "b"}})
		ASSERT_TRUE(list.AddUnder(items[name], items[under]));
}


// The tree built in a list without a window.
class OutlineListViewTest : public testing::Test {
protected:
	void SetUp() override { BuildTree(list, items); }

	Items items;
	BOutlineListView list{BRect(0, 0, 99, 99), "tree"};
};


// A shown window with the tree in a scroll view, locked between steps.
class OutlineWindowTest : public testing::Test {
protected:
	void SetUp() override
	{
		fWindow = new glim_test::Receiver("outline", BRect(100, 100, 399, 399));
		fList = new BOutlineListView(BRect(0, 0, 200, 250), "tree");
		fList->SetSelectionMessage(new BMessage(kSelected));
		glim_test::ShowWith(fWindow,
			{new BScrollView("scroll", fList, B_FOLLOW_ALL, 0, false, true)});
		fWindow->Lock();
		BuildTree(*fList, fItems);
	}

	void TearDown() override { fWindow->Quit(); }

	Items fItems;
	glim_test::Receiver* fWindow = NULL;
	BOutlineListView* fList = NULL;
};

} // namespace


TEST_F(OutlineListViewTest, AddUnderAppendsAfterTheLastDescendant)
{
	EXPECT_EQ(Shape(list), "0a 1a1 2a1x 1a2 0b 1b1");
	EXPECT_EQ(list.Superitem(items["a1x"]), items["a1"]);
	EXPECT_EQ(list.Superitem(items["a2"]), items["a"]);
	EXPECT_EQ(list.Superitem(items["b"]), nullptr);
	EXPECT_TRUE(items["a"]->HasSubitems());
	EXPECT_FALSE(items["a2"]->HasSubitems());

	// Top-level items go after the last item of the full list.
	ASSERT_TRUE(list.AddItem(items["c"]));
	EXPECT_TRUE(list.AddUnder(items["d"], NULL));

	// An item already in the list, a superitem that is not, no item and
	// an index past the end are refused.
	EXPECT_FALSE(list.AddUnder(items["a1"], items["b"]));
	EXPECT_FALSE(list.AddUnder(items["e"], items["not added"]));
	EXPECT_FALSE(list.AddUnder(NULL, items["a"]));
	EXPECT_FALSE(list.AddItem(items["e"], 99));
	EXPECT_EQ(Shape(list), "0a 1a1 2a1x 1a2 0b 1b1 0c 0d");
}


TEST_F(OutlineListViewTest, CollapsedItemsAreNotShown)
{
	EXPECT_EQ(list.CountItems(), 6);

	list.Collapse(items["a1"]);
	list.Collapse(items["a"]);
	EXPECT_EQ(Shape(list, false), "0a 0b 1b1");
	EXPECT_EQ(list.IndexOf(items["a2"]), -1);
	EXPECT_EQ(list.FullListIndexOf(items["b"]), 4);
	EXPECT_FALSE(items["a2"]->IsItemVisible());
	EXPECT_FALSE(list.IsExpanded(0));
	// The second row shows b, whichever full-list index it has.
	EXPECT_EQ(list.IndexOf(BPoint(5, list.ItemFrame(1).top + 1)), 1);
	EXPECT_EQ(list.FullListIndexOf(BPoint(5, list.ItemFrame(1).top + 1)), 4);

	// Under a collapsed item new items stay hidden.
	ASSERT_TRUE(list.AddUnder(items["a3"], items["a"]));
	EXPECT_EQ(list.CountItems(), 3);

	// Expanding a keeps the collapsed a1's subitem hidden.
	list.Expand(items["a"]);
	EXPECT_EQ(Shape(list, false), "0a 1a1 1a2 1a3 0b 1b1");
	list.Expand(items["a1"]);
	EXPECT_EQ(list.CountItems(), 7);
	EXPECT_TRUE(items["a1x"]->IsItemVisible());
}


TEST_F(OutlineListViewTest, CountingAndFindingUnderAnItem)
{
	list.Collapse(items["a"]);
	const struct {
		const char* superitem;
		bool oneLevel;
		int32 count;
		const char* texts;
	} cases[] = {{"a", true, 2, "a1 a2"}, {"a", false, 3, "a1 a1x a2"}, {"a1", true, 1, "a1x"},
		{"a2", false, 0, ""}, {NULL, true, 2, "a b"}, {NULL, false, 6, "a a1 a1x a2 b b1"},
		{"not added", true, 0, ""}};
	for (const auto& test : cases) {
		SCOPED_TRACE(testing::Message()
			<< (test.superitem != NULL ? test.superitem : "NULL") << " " << test.oneLevel);
		BListItem* superitem = test.superitem != NULL ? items[test.superitem] : NULL;
		EXPECT_EQ(list.CountItemsUnder(superitem, test.oneLevel), test.count);
		std::string texts;
		BListItem* item;
		for (int32 i = 0; i < 10 && (item = list.ItemUnderAt(superitem, test.oneLevel, i)); i++)
			texts += (i > 0 ? " " : "") + std::string(static_cast<BStringItem*>(item)->Text());
		EXPECT_EQ(texts, test.texts);
		EXPECT_EQ(list.ItemUnderAt(superitem, test.oneLevel, -1), nullptr);
	}
}


TEST(OutlineSortTest, SortingOneLevelKeepsSubtrees)
{
	Items items;
	BOutlineListView list(BRect(0, 0, 99, 99), "tree");
	list.AddItem(items["root"]);
	list.AddItem(items["other"]);
	for (auto [name, under] : {std::pair{"b", "root"}, {"alpha", "root"}, {"Zeta", "root"},
			 {"z", "b"}, {"y", "b"}, {"x", "alpha"}})
		list.AddUnder(items[name], items[under]);

	list.SortItemsUnder(items["root"], true, CompareTexts);
	EXPECT_EQ(Shape(list), "0root 1Zeta 1alpha 2x 1b 2z 2y 0other");
	list.SortItemsUnder(items["root"], false, CompareTexts);
	EXPECT_EQ(Shape(list), "0root 1Zeta 1alpha 2x 1b 2y 2z 0other");
	list.SortItemsUnder(NULL, true, CompareTexts);
	EXPECT_EQ(Shape(list), "0other 0root 1Zeta 1alpha 2x 1b 2y 2z");
	// Sorting a collapsed part keeps what is shown in step.
	list.Collapse(items["alpha"]);
	list.SortItemsUnder(items["root"], true,
		[](const BListItem* a, const BListItem* b) { return -CompareTexts(a, b); });
	EXPECT_EQ(Shape(list, false), "0other 0root 1b 2y 2z 1alpha 1Zeta");
}


TEST_F(OutlineListViewTest, RemovingTakesTheSubtree)
{
	list.Select(2);
	EXPECT_EQ(list.RemoveItem(1), items["a1"]);
	EXPECT_EQ(Shape(list), "0a 1a2 0b 1b1");
	EXPECT_FALSE(items["a1x"]->IsSelected());
	EXPECT_EQ(list.CurrentSelection(), -1);
	EXPECT_TRUE(list.RemoveItem(items["b"]));
	EXPECT_FALSE(list.RemoveItem(items["b1"]));
	EXPECT_EQ(Shape(list), "0a 1a2");
}


TEST_F(OutlineWindowTest, SelectionCountsShownItems)
{
	fList->Collapse(fItems["a"]);
	fList->Select(1);
	EXPECT_EQ(fList->FullListIndexOf(fList->ItemAt(fList->CurrentSelection())), 4);
	// Collapsing over the selected item deselects it and says so.
	fList->Select(2);
	fList->Collapse(fItems["b"]);
	EXPECT_EQ(fList->CurrentSelection(), -1);
	glim_test::SettleUnlocked(fWindow);
	EXPECT_EQ(fWindow->Fields("index"),
		(glim_test::FieldList{{kSelected, 1}, {kSelected, 2}, {kSelected, -1}}));
}


TEST_F(OutlineWindowTest, LatchAndKeysExpandAndCollapse)
{
	fList->MakeFocus();
	// The latch of a1 lies in the second level's indentation column.
	BRect row = fList->ItemFrame(1);
	BPrivate::simulate_mouse_down(fList, BPoint(row.left + 20, row.top + row.Height() / 2),
		B_PRIMARY_MOUSE_BUTTON);
	glim_test::SettleUnlocked(fWindow);
	EXPECT_FALSE(fItems["a1"]->IsExpanded());
	EXPECT_EQ(fList->CountItems(), 5);
	EXPECT_EQ(fWindow->count, 0);
	// A click on the text selects instead.
	BPrivate::simulate_mouse_down(fList, BPoint(row.left + 60, row.top + 2),
		B_PRIMARY_MOUSE_BUTTON);
	glim_test::SettleUnlocked(fWindow);
	EXPECT_EQ(fList->CurrentSelection(), 1);
	EXPECT_TRUE(fItems["a"]->IsExpanded());

	BPrivate::simulate_key_down(fWindow, "\x1d"); // right: expand a1
	glim_test::SettleUnlocked(fWindow);
	EXPECT_TRUE(fItems["a1"]->IsExpanded());
	BPrivate::simulate_key_down(fWindow, "\x1c"); // left: collapse a1
	BPrivate::simulate_key_down(fWindow, "\x1c"); // left again: select a
	glim_test::SettleUnlocked(fWindow);
	EXPECT_FALSE(fItems["a1"]->IsExpanded());
	EXPECT_EQ(fList->CurrentSelection(), 0);
	BPrivate::simulate_key_down(fWindow, "\x1c"); // left on a: collapse it
	glim_test::SettleUnlocked(fWindow);
	EXPECT_EQ(Shape(*fList, false), "0a 0b 1b1");
}
