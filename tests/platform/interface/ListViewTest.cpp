// List views: the layout of items and hit tests, adding and removing,
// selection and its message to the target, mouse and keys.
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
	SelectionCountingList(BRect frame, list_view_type type) :
		BListView(frame, "list", type)
	{
	}

	void SelectionChanged() override { changes++; }

	int32 changes = 0;
};


// Items the test owns; the list only points at them.
std::vector<std::unique_ptr<BStringItem>>
MakeItems(std::vector<std::string> texts)
{
	std::vector<std::unique_ptr<BStringItem>> items;
	for (const std::string& text : texts)
		items.push_back(std::make_unique<BStringItem>(text.c_str()));
	return items;
}


std::vector<std::unique_ptr<BStringItem>>
MakeItems(int count)
{
	std::vector<std::string> texts;
	for (int i = 0; i < count; i++)
		texts.push_back("item " + std::to_string(i));
	return MakeItems(texts);
}


void
AddAll(BListView* list, const std::vector<std::unique_ptr<BStringItem>>& items)
{
	for (const auto& item : items)
		ASSERT_TRUE(list->AddItem(item.get()));
}


// A shown window with a list of 30 items in a scroll view with a vertical
// bar.
class ListViewWindowTest : public testing::Test {
protected:
	void SetUp() override { Open(B_SINGLE_SELECTION_LIST); }

	void Open(list_view_type type)
	{
		fWindow = new Receiver("lists", BRect(100, 100, 399, 399), {kSelected, kInvoked});
		fList = new SelectionCountingList(BRect(10, 10, 200, 150), type);
		fList->SetSelectionMessage(new BMessage(kSelected));
		fList->SetMessage(new BMessage(kInvoked));
		fWindow->AddChild(new BScrollView("scroll", fList, B_FOLLOW_ALL, 0, false, true));
		fWindow->Show();
		fWindow->Lock();
	}

	// The window is locked by the test between its steps.
	void TearDown() override { fWindow->Quit(); }

	// Lets the window dispatch what is queued, then locks it again.
	void Settle(size_t expectedMessages = 0)
	{
		fWindow->Unlock();
		EXPECT_TRUE(BPrivate::run_events_until(
			[&]() { return (size_t)fWindow->count >= expectedMessages; }));
		glim_test::Settle(30000);
		fWindow->Lock();
	}

	Receiver* fWindow = NULL;
	SelectionCountingList* fList = NULL;
	std::vector<std::unique_ptr<BStringItem>> fItems = MakeItems(30);
};

} // namespace


TEST(ListViewTest, ItemsStackAndHitTest)
{
	BListView list(BRect(0, 0, 99, 99), "list");
	EXPECT_EQ(list.IndexOf(BPoint(5, 0)), -1);
	EXPECT_FALSE(list.ItemFrame(0).IsValid());
	auto items = MakeItems(3);
	AddAll(&list, items);
	float height = items[0]->Height();
	ASSERT_GT(height, 0);
	const struct {
		float y;
		int32 index;
	} cases[] = {{-1, -1}, {0, 0}, {height - 1, 0},
		// Between two items: past one's bottom, before the next's top.
		{height - 0.5f, -1}, {height, 1}, {2 * height + 3, 2}, {3 * height - 1, 2},
		{3 * height, -1}, {1000, -1}};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.y);
		EXPECT_EQ(list.IndexOf(BPoint(50, test.y)), test.index);
	}
	for (int32 i = 0; i < 3; i++) {
		SCOPED_TRACE(i);
		EXPECT_EQ(list.ItemFrame(i), BRect(0, i * height, 99, (i + 1) * height - 1));
	}
	// The frames follow the scroll offset's left edge and the view's width.
	list.ScrollTo(BPoint(5, 0));
	EXPECT_EQ(list.ItemFrame(1), BRect(5, height, 104, 2 * height - 1));
}


TEST(ListViewTest, AddingRemovingAndSorting)
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

	// Sorting keeps the selected item selected where it went.
	auto fruit = MakeItems({"pear", "Apple", "fig"});
	AddAll(&list, fruit);
	list.Select(2);
	list.SortItems([](const void* a, const void* b) {
		return strcmp((*(BStringItem* const*)a)->Text(), (*(BStringItem* const*)b)->Text());
	});
	EXPECT_EQ(list.ItemAt(0), fruit[1].get());
	EXPECT_EQ(list.ItemAt(1), fruit[2].get());
	EXPECT_EQ(list.CurrentSelection(), 1);
}


TEST_F(ListViewWindowTest, SelectionMessageCarriesTheIndex)
{
	AddAll(fList, fItems);
	fList->Select(3);
	fList->Select(3);
	fItems[5]->SetEnabled(false);
	fList->Select(5);
	fList->Select(-1);
	fList->Select(99);
	Settle(1);
	EXPECT_EQ(fWindow->Fields("index"), (FieldList{{kSelected, 3}}));
	const BMessage& selected = fWindow->received[0];
	EXPECT_TRUE(selected.HasData("when", B_INT64_TYPE));
	void* source = NULL;
	EXPECT_EQ(selected.FindPointer("source", &source), B_OK);
	EXPECT_EQ(source, static_cast<BListView*>(fList));
	EXPECT_EQ(fList->changes, 1);

	// Deselecting reports "no selection"; removing a selected item does too.
	fList->Deselect(3);
	fList->Select(4);
	fList->RemoveItem(4);
	Settle(4);
	EXPECT_EQ(fWindow->Fields("index"),
		(FieldList{{kSelected, 3}, {kSelected, -1}, {kSelected, 4}, {kSelected, -1}}));
	EXPECT_EQ(fList->CurrentSelection(), -1);

	// Aimed at another window, the message goes there only.
	Receiver* other = new Receiver("lists", BRect(100, 100, 399, 399), {kSelected, kInvoked});
	other->Show();
	fList->SetTarget(other);
	fList->Select(2);
	Settle();
	// Both windows are dispatched on this thread.
	EXPECT_EQ(other->Fields("index"), (FieldList{{kSelected, 2}}));
	EXPECT_EQ(fWindow->received.size(), 4u);
	CloseWindow(other);
}


TEST_F(ListViewWindowTest, MultipleSelection)
{
	fWindow->Quit();
	Open(B_MULTIPLE_SELECTION_LIST);
	AddAll(fList, fItems);
	fList->Select(1);
	fList->Select(4, true);
	fList->Select(6, 8, true);
	EXPECT_EQ(fList->CurrentSelection(0), 1);
	EXPECT_EQ(fList->CurrentSelection(1), 4);
	EXPECT_EQ(fList->CurrentSelection(4), 8);
	EXPECT_EQ(fList->CurrentSelection(5), -1);
	fList->Invoke();
	Settle(4);
	ASSERT_EQ(fWindow->received.size(), 4u);
	const BMessage& invoked = fWindow->received[3];
	EXPECT_EQ(invoked.what, kInvoked);
	EXPECT_TRUE(invoked.HasData("index", B_INT32_TYPE, 4));
	EXPECT_FALSE(invoked.HasData("index", B_INT32_TYPE, 5));

	// Without extend the rest goes; a single-selection list keeps one.
	fList->Select(2);
	EXPECT_EQ(fList->CurrentSelection(1), -1);
	EXPECT_EQ(fList->CurrentSelection(0), 2);
}


TEST_F(ListViewWindowTest, ClicksSelectAndDoubleClickInvokes)
{
	AddAll(fList, fItems);
	BPoint inside(20, fList->ItemFrame(1).top + 2);
	BPrivate::simulate_mouse_down(fList, inside, B_PRIMARY_MOUSE_BUTTON, 0, 1);
	BPrivate::simulate_mouse_up(fList, inside);
	BPrivate::simulate_mouse_down(fList, inside, B_PRIMARY_MOUSE_BUTTON, 0, 2);
	Settle(2);
	EXPECT_EQ(fWindow->Fields("index"), (FieldList{{kSelected, 1}, {kInvoked, 1}}));
	EXPECT_TRUE(fList->IsFocus());

	// A click below the last item changes nothing.
	fList->MakeEmpty();
	fList->AddItem(fItems[0].get());
	BPrivate::simulate_mouse_down(fList, BPoint(20, 120), B_PRIMARY_MOUSE_BUTTON);
	Settle();
	EXPECT_EQ(fWindow->received.size(), 2u);
}


TEST_F(ListViewWindowTest, KeysMoveTheSelectionIntoView)
{
	AddAll(fList, fItems);
	fList->MakeFocus();
	float height = fList->ItemFrame(0).Height() + 1;
	int32 perPage = (int32)(fList->Bounds().Height() / height);
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
		Settle();
		EXPECT_EQ(fList->CurrentSelection(), step.expected);
		BRect frame = fList->ItemFrame(step.expected);
		EXPECT_TRUE(fList->Bounds().Contains(frame)) << frame.top << " " << fList->Bounds().top;
	}
	BPrivate::simulate_key_down(fWindow, "\x04");
	BPrivate::simulate_key_down(fWindow, "\n");
	Settle();
	EXPECT_GT(fList->Bounds().top, 0);
	EXPECT_EQ(fList->ScrollBar(B_VERTICAL)->Value(), fList->Bounds().top);
	ASSERT_GT(fWindow->count, 0);
	EXPECT_EQ(fWindow->Fields("index").back(), std::make_pair(kInvoked, (int32)29));
}
