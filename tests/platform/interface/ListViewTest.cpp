// List views: adding and removing, selection and its message to the
// target, mouse and keys.
#include <cmath>

#include <ListView.h>
#include <ScrollBar.h>
#include <ScrollView.h>
#include <StringItem.h>

#include "InterfaceTestSupport.h"

using namespace glim_test;

namespace {

const uint32 kSelected = 'Dsel';
const uint32 kInvoked = 'Inv!';

class SelectionCountingList : public BListView {
public:
	using BListView::BListView;

	void SelectionChanged() override { changes++; }

	int32 changes = 0;
};


// Items the test owns; the list only points at them.
std::vector<std::unique_ptr<BStringItem>>
MakeItems(int count)
{
	std::vector<std::unique_ptr<BStringItem>> items;
	for (int i = 0; i < count; i++)
		items.push_back(std::make_unique<BStringItem>(("item " + std::to_string(i)).c_str()));
	return items;
}


// A shown window with a list of 30 items in a scroll view with a vertical
// bar.
class ListViewWindowTest : public testing::Test {
protected:
	void SetUp() override
	{
		fWindow = new Receiver("lists", BRect(100, 100, 399, 399));
		fList = new SelectionCountingList(BRect(10, 10, 200, 150), "list");
		fList->SetSelectionMessage(new BMessage(kSelected));
		fList->SetMessage(new BMessage(kInvoked));
		for (const auto& item : fItems)
			fList->AddItem(item.get());
		ShowWith(fWindow, {new BScrollView("scroll", fList, B_FOLLOW_ALL, 0, false, true)});
		fWindow->Lock();
	}

	// The window is locked by the test between its steps.
	void TearDown() override { fWindow->Quit(); }

	Receiver* fWindow = NULL;
	SelectionCountingList* fList = NULL;
	std::vector<std::unique_ptr<BStringItem>> fItems = MakeItems(30);
};

} // namespace


TEST(ListViewTest, AddingAndRemoving)
{
	BListView list(BRect(0, 0, 99, 99), "list");
	auto items = MakeItems(5);
	EXPECT_FALSE(list.AddItem(NULL));
	EXPECT_TRUE(list.AddItem(items[1].get()));
	EXPECT_FALSE(list.AddItem(items[1].get()));
	EXPECT_FALSE(list.AddItem(items[2].get(), 2));
	EXPECT_TRUE(list.AddItem(items[0].get(), 0));
	EXPECT_TRUE(list.AddItem(items[2].get()));
	EXPECT_TRUE(list.AddItem(items[3].get()));
	EXPECT_EQ(list.CountItems(), 4);
	for (int32 i = 0; i < 4; i++)
		EXPECT_EQ(list.ItemAt(i), items[i].get());
	EXPECT_EQ(list.IndexOf(items[2].get()), 2);
	EXPECT_EQ(list.IndexOf(items[4].get()), -1);

	EXPECT_EQ(list.RemoveItem(1), items[1].get());
	EXPECT_EQ(list.RemoveItem(7), nullptr);
	EXPECT_TRUE(list.RemoveItem(items[3].get()));
	EXPECT_FALSE(list.RemoveItem(items[3].get()));
	EXPECT_EQ(list.ItemAt(1), items[2].get());
	// The second item now starts where the first ends.
	EXPECT_EQ(list.ItemFrame(1).top, std::ceil(items[0]->Height()));

	// MakeEmpty forgets the items without deleting them: they stay the
	// test's to use and delete.
	list.Select(0);
	list.MakeEmpty();
	EXPECT_TRUE(list.IsEmpty());
	EXPECT_FALSE(items[0]->IsSelected());
	EXPECT_STREQ(items[0]->Text(), "item 0");
}


TEST_F(ListViewWindowTest, SelectionMessageCarriesTheIndex)
{
	fList->Select(3);
	fList->Select(3);
	fItems[5]->SetEnabled(false);
	fList->Select(5);
	fList->Select(-1);
	fList->Select(99);
	SettleUnlocked(fWindow, [&]() { return fWindow->count >= 1; });
	EXPECT_EQ(fWindow->Fields("index"), (FieldList{{kSelected, 3}}));
	EXPECT_EQ(fList->changes, 1);

	// Deselecting reports "no selection"; removing a selected item does too.
	fList->Deselect(3);
	fList->Select(4);
	fList->RemoveItem(4);
	SettleUnlocked(fWindow, [&]() { return fWindow->count >= 4; });
	EXPECT_EQ(fWindow->Fields("index"),
		(FieldList{{kSelected, 3}, {kSelected, -1}, {kSelected, 4}, {kSelected, -1}}));
	EXPECT_EQ(fList->CurrentSelection(), -1);
}


TEST_F(ListViewWindowTest, ClicksSelectAndDoubleClickInvokes)
{
	BPoint inside(20, fList->ItemFrame(1).top + 2);
	BPrivate::simulate_mouse_down(fList, inside, B_PRIMARY_MOUSE_BUTTON, 0, 1);
	BPrivate::simulate_mouse_up(fList, inside);
	BPrivate::simulate_mouse_down(fList, inside, B_PRIMARY_MOUSE_BUTTON, 0, 2);
	SettleUnlocked(fWindow, [&]() { return fWindow->count >= 2; });
	EXPECT_EQ(fWindow->Fields("index"), (FieldList{{kSelected, 1}, {kInvoked, 1}}));
	EXPECT_TRUE(fList->IsFocus());

	// A click below the last item changes nothing.
	fList->MakeEmpty();
	fList->AddItem(fItems[0].get());
	BPrivate::simulate_mouse_down(fList, BPoint(20, 120), B_PRIMARY_MOUSE_BUTTON);
	SettleUnlocked(fWindow);
	EXPECT_EQ(fWindow->received.size(), 2u);
}


TEST_F(ListViewWindowTest, KeysMoveTheSelectionIntoView)
{
	fList->MakeFocus();
	int32 perPage = (int32)(fList->Bounds().Height() / (fList->ItemFrame(0).Height() + 1));
	const struct {
		const char* key;
		int32 expected;
	} steps[] = {
		{"\x1f", 0}, // down with nothing selected: the first item
		{"\x1f", 1}, {"\x1e", 0}, {"\x1e", 0}, // stays at the top
		{"\x04", 29}, // end
		{"\x01", 0}, // home
		{"\x0c", perPage}, // page down
		{"\x0b", 0}, // page up
	};
	for (const auto& step : steps) {
		SCOPED_TRACE(testing::Message() << (int)step.key[0]);
		BPrivate::simulate_key_down(fWindow, step.key);
		SettleUnlocked(fWindow);
		EXPECT_EQ(fList->CurrentSelection(), step.expected);
		BRect frame = fList->ItemFrame(step.expected);
		EXPECT_TRUE(fList->Bounds().Contains(frame)) << frame.top << " " << fList->Bounds().top;
	}
	BPrivate::simulate_key_down(fWindow, "\x04");
	BPrivate::simulate_key_down(fWindow, "\n");
	SettleUnlocked(fWindow);
	EXPECT_GT(fList->Bounds().top, 0);
	EXPECT_EQ(fList->ScrollBar(B_VERTICAL)->Value(), fList->Bounds().top);
	ASSERT_GT(fWindow->count, 0);
	EXPECT_EQ(fWindow->Fields("index").back(), std::make_pair(kInvoked, (int32)29));
}
