// List views: the layout of items and hit tests, adding and removing,
// selection and its message to the target, mouse and keys, scroll bars and
// drawing.
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Bitmap.h>
#include <ListView.h>
#include <Message.h>
#include <ScrollBar.h>
#include <ScrollView.h>
#include <StringItem.h>
#include <Window.h>

#include "TestHooks.h"

namespace {

const uint32 kSelected = 'Dsel';
const uint32 kInvoked = 'Inv!';


class RecordingWindow : public BWindow {
public:
	RecordingWindow() :
		BWindow(BRect(100, 100, 399, 399), "lists", B_TITLED_WINDOW, 0)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == kSelected || message->what == kInvoked)
			received.push_back(*message);
		else
			BWindow::MessageReceived(message);
	}

	std::vector<BMessage> received;
};


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
MakeItems(int count)
{
	std::vector<std::unique_ptr<BStringItem>> items;
	for (int i = 0; i < count; i++)
		items.push_back(std::make_unique<BStringItem>(("item " + std::to_string(i)).c_str()));
	return items;
}


void
AddAll(BListView* list, const std::vector<std::unique_ptr<BStringItem>>& items)
{
	for (const auto& item : items)
		ASSERT_TRUE(list->AddItem(item.get()));
}


// A shown window with a list in a scroll view with a vertical bar.
class ListViewWindowTest : public testing::Test {
protected:
	void SetUp() override { Open(B_SINGLE_SELECTION_LIST); }

	void Open(list_view_type type)
	{
		fWindow = new RecordingWindow;
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
	void Settle(int32 expectedMessages = -1)
	{
		fWindow->Unlock();
		if (expectedMessages >= 0) {
			EXPECT_TRUE(BPrivate::run_events_until(
				[&]() { return (int32)fWindow->received.size() >= expectedMessages; }));
		}
		BPrivate::run_events_until([]() { return false; }, 30000);
		fWindow->Lock();
	}

	RecordingWindow* fWindow = NULL;
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
	struct Case {
		float y;
		int32 index;
	};
	const Case cases[] = {
		{-1, -1},
		{0, 0},
		{height - 1, 0},
		// Between two items: past one's bottom, before the next's top.
		{height - 0.5f, -1},
		{height, 1},
		{2 * height + 3, 2},
		{3 * height - 1, 2},
		{3 * height, -1},
		{1000, -1},
	};
	for (const Case& test : cases) {
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
	EXPECT_EQ(list.ItemAt(0), items[0].get());
	EXPECT_EQ(list.ItemAt(3), items[3].get());
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
	EXPECT_TRUE(list.AddItem(items[0].get()));
}


TEST(ListViewTest, SortItemsKeepsTheSelection)
{
	BListView list(BRect(0, 0, 99, 99), "list");
	std::vector<std::unique_ptr<BStringItem>> items;
	for (const char* text : {"pear", "Apple", "fig"})
		items.push_back(std::make_unique<BStringItem>(text));
	AddAll(&list, items);
	list.Select(2);
	list.SortItems([](const void* a, const void* b) {
		return strcmp((*(BStringItem* const*)a)->Text(), (*(BStringItem* const*)b)->Text());
	});
	EXPECT_STREQ(static_cast<BStringItem*>(list.ItemAt(0))->Text(), "Apple");
	EXPECT_STREQ(static_cast<BStringItem*>(list.ItemAt(1))->Text(), "fig");
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
	ASSERT_EQ(fWindow->received.size(), 1u);
	const BMessage& selected = fWindow->received[0];
	EXPECT_EQ(selected.what, kSelected);
	EXPECT_EQ(selected.GetInt32("index", -5), 3);
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
	ASSERT_EQ(fWindow->received.size(), 4u);
	EXPECT_EQ(fWindow->received[1].GetInt32("index", -5), -1);
	EXPECT_EQ(fWindow->received[2].GetInt32("index", -5), 4);
	EXPECT_EQ(fWindow->received[3].GetInt32("index", -5), -1);
	EXPECT_EQ(fList->CurrentSelection(), -1);
}


TEST_F(ListViewWindowTest, SelectionGoesToAnotherTarget)
{
	RecordingWindow* other = new RecordingWindow;
	other->Show();
	AddAll(fList, fItems);
	fList->SetTarget(other);
	fList->Select(2);
	Settle();
	// Both windows are dispatched on this thread.
	ASSERT_EQ(other->received.size(), 1u);
	EXPECT_EQ(other->received[0].GetInt32("index", -5), 2);
	EXPECT_TRUE(fWindow->received.empty());
	other->Lock();
	other->Quit();
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
	BRect second = fList->ItemFrame(1);
	BPoint inside(20, second.top + 2);
	BPrivate::simulate_mouse_down(fList, inside, B_PRIMARY_MOUSE_BUTTON, 0, 1);
	BPrivate::simulate_mouse_up(fList, inside);
	BPrivate::simulate_mouse_down(fList, inside, B_PRIMARY_MOUSE_BUTTON, 0, 2);
	Settle(2);
	ASSERT_EQ(fWindow->received.size(), 2u);
	EXPECT_EQ(fWindow->received[0].what, kSelected);
	EXPECT_EQ(fWindow->received[0].GetInt32("index", -5), 1);
	EXPECT_EQ(fWindow->received[1].what, kInvoked);
	EXPECT_EQ(fWindow->received[1].GetInt32("index", -5), 1);
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
	struct Step {
		const char* key;
		int32 expected;
	};
	const Step steps[] = {
		{"\x1f", 0}, // down with nothing selected: the first item
		{"\x1f", 1}, {"\x1e", 0}, {"\x1e", 0}, // stays at the top
		{"\x04", 29}, // end
		{"\x01", 0}, // home
		{"\x0c", perPage}, // page down
		{"\x0b", 0}, // page up
	};
	for (const Step& step : steps) {
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
	ASSERT_FALSE(fWindow->received.empty());
	EXPECT_EQ(fWindow->received.back().what, kInvoked);
	EXPECT_EQ(fWindow->received.back().GetInt32("index", -5), 29);
}


TEST_F(ListViewWindowTest, ScrollBarFollowsTheItems)
{
	BScrollBar* bar = fList->ScrollBar(B_VERTICAL);
	ASSERT_NE(bar, nullptr);
	float min = -1;
	float max = -1;
	bar->GetRange(&min, &max);
	EXPECT_EQ(max, 0);
	AddAll(fList, fItems);
	float dataHeight = fList->ItemFrame(29).bottom + 1;
	float visible = fList->Bounds().Height() + 1;
	bar->GetRange(&min, &max);
	EXPECT_EQ(min, 0);
	EXPECT_EQ(max, dataHeight - visible);
	EXPECT_FLOAT_EQ(bar->Proportion(), visible / dataHeight);

	fWindow->ResizeBy(0, 40);
	bar->GetRange(&min, &max);
	EXPECT_EQ(max, dataHeight - visible - 40);

	bar->SetValue(max);
	fList->MakeEmpty();
	bar->GetRange(&min, &max);
	EXPECT_EQ(max, 0);
	EXPECT_EQ(fList->Bounds().top, 0);
}


TEST_F(ListViewWindowTest, SelectedItemIsHighlighted)
{
	AddAll(fList, fItems);
	fList->Select(1);
	Settle();
	fWindow->Unlock();
	std::unique_ptr<BBitmap> shot = BPrivate::grab_window(fWindow);
	fWindow->Lock();
	ASSERT_TRUE(shot);
	auto pixel = [&](BPoint where) {
		BPoint inWindow = fList->ConvertToScreen(where) - fWindow->Frame().LeftTop();
		const uint8* bytes = (const uint8*)shot->Bits() + (int)inWindow.y * shot->BytesPerRow()
			+ (int)inWindow.x * 4;
		return make_color(bytes[2], bytes[1], bytes[0]);
	};
	// The right end of a row holds no text.
	float x = fList->Bounds().right - 2;
	rgb_color selected = pixel(BPoint(x, fList->ItemFrame(1).top + 2));
	rgb_color plain = pixel(BPoint(x, fList->ItemFrame(2).top + 2));
	EXPECT_EQ(plain, make_color(255, 255, 255));
	EXPECT_NE(selected, plain);
	EXPECT_EQ(pixel(BPoint(x, fList->ItemFrame(0).top + 2)), plain);
}
