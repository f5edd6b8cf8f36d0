// Windows on the offscreen platform: the frame as content area, resizing
// modes, painting and invalidation from other threads, input messages,
// pulses and closing.
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <Application.h>
#include <Bitmap.h>
#include <Message.h>
#include <View.h>
#include <Window.h>

#include "InterfacePrivate.h"
#include "TestHooks.h"
#include "InterfaceTestSupport.h"

using glim_test::CloseWindow;

namespace {

// A view that records what the layer asks of it.
class RecordingView : public BView {
public:
	RecordingView(BRect frame, const char* name, uint32 mode, uint32 flags) :
		BView(frame, name, mode, flags)
	{
	}

	void Draw(BRect update) override
	{
		std::lock_guard<std::mutex> guard(lock);
		draws.push_back(update);
		SetHighColor(color);
		FillRect(update);
	}

	void FrameResized(float width, float height) override
	{
		resizes.push_back(BPoint(width, height));
	}

	void MouseDown(BPoint where) override
	{
		BMessage* current = Window()->CurrentMessage();
		ASSERT_NE(current, nullptr);
		downMessage = *current;
		downWhere = where;
		mouseDowns++;
	}

	void Pulse() override { pulses++; }

	void KeyDown(const char* bytes, int32 numBytes) override
	{
		keys.push_back(std::string(bytes, numBytes));
		BMessage* current = Window()->CurrentMessage();
		if (current != NULL)
			keyMessage = *current;
	}

	int32 DrawCount()
	{
		std::lock_guard<std::mutex> guard(lock);
		return (int32)draws.size();
	}

	std::mutex lock;
	std::vector<BRect> draws;
	std::vector<BPoint> resizes;
	rgb_color color = make_color(10, 200, 30);
	BMessage downMessage;
	BPoint downWhere;
	std::atomic<int32> mouseDowns{0};
	std::atomic<int32> pulses{0};
	std::vector<std::string> keys;
	BMessage keyMessage;
};


class TestWindow : public BWindow {
public:
	TestWindow(BRect frame, uint32 flags = 0) :
		BWindow(frame, "test", B_TITLED_WINDOW, flags)
	{
	}

	bool QuitRequested() override
	{
		quitAsked++;
		return allowQuit;
	}

	void FrameResized(float width, float height) override
	{
		windowResized = BPoint(width, height);
	}

	std::atomic<int32> quitAsked{0};
	bool allowQuit = true;
	BPoint windowResized;
};


rgb_color
GrabbedPixel(BWindow* window, int x, int y)
{
	std::unique_ptr<BBitmap> shot = BPrivate::grab_window(window);
	if (!shot)
		return make_color(0, 0, 0, 0);
	const uint8* pixel = (const uint8*)shot->Bits() + y * shot->BytesPerRow() + x * 4;
	return make_color(pixel[2], pixel[1], pixel[0], pixel[3]);
}

} // namespace


TEST(WindowTest, FrameIsTheContentArea)
{
	TestWindow* window = new TestWindow(BRect(50, 60, 349, 259));
	EXPECT_EQ(window->Bounds(), BRect(0, 0, 299, 199));
	EXPECT_TRUE(window->IsHidden());
	window->Show();
	EXPECT_FALSE(window->IsHidden());
	std::unique_ptr<BBitmap> shot = BPrivate::grab_window(window);
	ASSERT_TRUE(shot);
	EXPECT_EQ(shot->Bounds(), BRect(0, 0, 299, 199));

	BView* view = new BView(BRect(10, 20, 30, 40), "view", B_FOLLOW_NONE, 0);
	window->Lock();
	window->AddChild(view);
	EXPECT_EQ(view->ConvertToScreen(BPoint(0, 0)), BPoint(60, 80));
	EXPECT_EQ(view->ConvertFromScreen(BPoint(61, 82)), BPoint(1, 2));
	EXPECT_EQ(view->Window(), window);
	EXPECT_EQ(view->Parent(), nullptr);
	EXPECT_EQ(window->FindView("view"), view);
	window->Unlock();
	CloseWindow(window);
}


// Each mode's arithmetic is in the view test; here the window's resize
// reaches nested views and their frame hooks.
TEST(WindowTest, ResizingModesFollowTheWindow)
{
	TestWindow* window = new TestWindow(BRect(0, 0, 199, 99));
	RecordingView* all = new RecordingView(BRect(0, 10, 149, 89), "all", B_FOLLOW_ALL,
		B_FRAME_EVENTS);
	RecordingView* leftColumn = new RecordingView(BRect(0, 10, 49, 89), "left",
		B_FOLLOW_LEFT | B_FOLLOW_TOP_BOTTOM, B_FRAME_EVENTS);
	BView* nested = new BView(BRect(0, 0, 149, 79), "nested", B_FOLLOW_ALL, 0);
	window->AddChild(all);
	window->AddChild(leftColumn);
	all->AddChild(nested);
	window->Show();

	window->Lock();
	window->ResizeTo(299, 149);
	EXPECT_EQ(all->Frame(), BRect(0, 10, 249, 139));
	EXPECT_EQ(nested->Frame(), BRect(0, 0, 249, 129));
	EXPECT_EQ(leftColumn->Frame(), BRect(0, 10, 49, 139));
	ASSERT_FALSE(all->resizes.empty());
	EXPECT_EQ(all->resizes.back(), BPoint(249, 129));
	EXPECT_EQ(leftColumn->resizes.back(), BPoint(49, 129));
	window->Unlock();

	// The window's own hook follows through its queue.
	EXPECT_TRUE(BPrivate::run_events_until(
		[&]() { return window->windowResized == BPoint(299, 149); }));
	CloseWindow(window);
}


TEST(WindowTest, DrawGetsTheUpdateInScrolledCoordinates)
{
	TestWindow* window = new TestWindow(BRect(0, 0, 99, 99));
	RecordingView* view = new RecordingView(BRect(0, 0, 99, 99), "view", B_FOLLOW_ALL,
		B_WILL_DRAW);
	window->AddChild(view);
	window->Show();
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return view->DrawCount() > 0; }));

	window->Lock();
	view->ScrollTo(BPoint(0, 500));
	EXPECT_EQ(view->Bounds(), BRect(0, 500, 99, 599));
	view->draws.clear();
	view->Invalidate(BRect(10, 510, 19, 519));
	window->Unlock();
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return view->DrawCount() > 0; }));
	BRect update;
	{
		std::lock_guard<std::mutex> guard(view->lock);
		update = view->draws.back();
	}
	EXPECT_TRUE(update.Contains(BRect(10, 510, 19, 519)));
	EXPECT_GE(update.top, 500);
	CloseWindow(window);
}


TEST(WindowTest, ViewColourFillsUnlessTransparent)
{
	TestWindow* window = new TestWindow(BRect(0, 0, 59, 29));
	BView* plain = new BView(BRect(0, 0, 29, 29), "plain", B_FOLLOW_NONE, 0);
	plain->SetViewColor(200, 0, 0);
	RecordingView* drawn = new RecordingView(BRect(30, 0, 59, 29), "drawn", B_FOLLOW_NONE,
		B_WILL_DRAW);
	window->AddChild(plain);
	window->AddChild(drawn);
	window->Show();
	rgb_color left = GrabbedPixel(window, 5, 5);
	rgb_color right = GrabbedPixel(window, 45, 5);
	EXPECT_EQ(left.red, 200);
	EXPECT_EQ(left.green, 0);
	EXPECT_EQ(right.green, 200);
	CloseWindow(window);
}


TEST(WindowTest, InvalidateFromAnotherThreadRepaints)
{
	TestWindow* window = new TestWindow(BRect(0, 0, 99, 99));
	RecordingView* view = new RecordingView(BRect(0, 0, 99, 99), "view", B_FOLLOW_ALL,
		B_WILL_DRAW);
	window->AddChild(view);
	window->Show();
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return view->DrawCount() > 0; }));
	int32 before = view->DrawCount();

	// The worker keeps the lock a while after invalidating: the GUI thread
	// goes on running meanwhile and paints once the lock is free.
	std::atomic<bool> released{false};
	std::thread worker([&]() {
		ASSERT_EQ(window->LockWithTimeout(1000000), B_OK);
		view->Invalidate(BRect(0, 0, 9, 9));
		snooze(100000);
		released = true;
		window->Unlock();
	});
	bool stayedAlive = BPrivate::run_events_until([&]() { return released.load(); });
	worker.join();
	EXPECT_TRUE(stayedAlive);
	EXPECT_TRUE(BPrivate::run_events_until([&]() { return view->DrawCount() > before; }));
	CloseWindow(window);
}


TEST(WindowTest, MouseDownCarriesThePlatformFields)
{
	TestWindow* window = new TestWindow(BRect(100, 100, 299, 299));
	RecordingView* view = new RecordingView(BRect(20, 20, 119, 119), "view", B_FOLLOW_NONE,
		B_WILL_DRAW);
	window->AddChild(view);
	window->Show();
	window->Lock();
	view->ScrollTo(BPoint(0, 40));
	BPrivate::simulate_mouse_down(view, BPoint(5, 47), B_SECONDARY_MOUSE_BUTTON, B_SHIFT_KEY,
		2);
	window->Unlock();
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return view->mouseDowns > 0; }));
	EXPECT_EQ(view->downWhere, BPoint(5, 47));
	EXPECT_EQ(view->downMessage.what, (uint32)B_MOUSE_DOWN);
	EXPECT_EQ(view->downMessage.GetPoint("where", BPoint(-1, -1)), BPoint(5, 47));
	EXPECT_EQ(view->downMessage.GetInt32("buttons", 0), B_SECONDARY_MOUSE_BUTTON);
	EXPECT_EQ(view->downMessage.GetInt32("modifiers", 0), B_SHIFT_KEY);
	EXPECT_EQ(view->downMessage.GetInt32("clicks", 0), 2);
	EXPECT_EQ(modifiers(), (uint32)B_SHIFT_KEY);
	CloseWindow(window);
}


TEST(WindowTest, KeysReachTheFocusView)
{
	TestWindow* window = new TestWindow(BRect(0, 0, 99, 99));
	RecordingView* parent = new RecordingView(BRect(0, 0, 99, 99), "parent", B_FOLLOW_NONE, 0);
	BView* child = new BView(BRect(0, 0, 9, 9), "child", B_FOLLOW_NONE, B_NAVIGABLE);
	window->AddChild(parent);
	parent->AddChild(child);
	window->Show();
	window->Lock();
	child->MakeFocus();
	EXPECT_TRUE(child->IsFocus());
	EXPECT_EQ(window->CurrentFocus(), child);
	const char arrow[] = {B_LEFT_ARROW, 0};
	BPrivate::simulate_key_down(window, arrow);
	BPrivate::simulate_key_down(window, "\xc3\xa9");
	window->Unlock();
	// The child's base KeyDown passes both keys up to its parent.
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return parent->keys.size() == 2; }));
	EXPECT_EQ(parent->keys[0], std::string(1, B_LEFT_ARROW));
	EXPECT_EQ(parent->keys[1], "\xc3\xa9");
	EXPECT_EQ(parent->keyMessage.what, (uint32)B_KEY_DOWN);
	EXPECT_STREQ(parent->keyMessage.GetString("bytes", ""), "\xc3\xa9");
	EXPECT_TRUE(parent->keyMessage.HasData("raw_char", B_INT32_TYPE));
	EXPECT_TRUE(parent->keyMessage.HasData("key", B_INT32_TYPE));
	EXPECT_TRUE(parent->keyMessage.HasData("modifiers", B_INT32_TYPE));
	CloseWindow(window);
}


TEST(WindowTest, PulseReachesViewsThatNeedIt)
{
	TestWindow* window = new TestWindow(BRect(0, 0, 99, 99));
	RecordingView* needs = new RecordingView(BRect(0, 0, 9, 9), "needs", B_FOLLOW_NONE,
		B_PULSE_NEEDED);
	RecordingView* not_ = new RecordingView(BRect(10, 0, 19, 9), "not", B_FOLLOW_NONE, 0);
	RecordingView* hidden = new RecordingView(BRect(20, 0, 29, 9), "hidden", B_FOLLOW_NONE,
		B_PULSE_NEEDED);
	window->AddChild(needs);
	window->AddChild(not_);
	window->AddChild(hidden);
	hidden->Hide();
	window->SetPulseRate(10000);
	EXPECT_EQ(window->PulseRate(), 10000);
	window->Show();
	EXPECT_TRUE(BPrivate::run_events_until([&]() { return needs->pulses >= 3; }));
	EXPECT_EQ(not_->pulses, 0);
	EXPECT_TRUE(BPrivate::run_events_until([&]() { return hidden->pulses >= 3; }))
		<< "a hidden view that needs the pulse gets it too";

	window->Lock();
	window->SetPulseRate(0);
	window->Unlock();
	BPrivate::run_events_until([]() { return false; }, 50000);
	int32 stopped = needs->pulses;
	BPrivate::run_events_until([]() { return false; }, 100000);
	EXPECT_EQ(needs->pulses, stopped);
	CloseWindow(window);
}


TEST(WindowTest, CloseAsksQuitRequested)
{
	int32 windows = BPrivate::count_windows();
	TestWindow* window = new TestWindow(BRect(0, 0, 99, 99));
	EXPECT_EQ(BPrivate::count_windows(), windows + 1);
	window->Show();
	window->allowQuit = false;
	window->PostMessage(B_QUIT_REQUESTED);
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return window->quitAsked == 1; }));
	EXPECT_EQ(BPrivate::count_windows(), windows + 1);

	window->allowQuit = true;
	window->PostMessage(B_QUIT_REQUESTED);
	EXPECT_TRUE(
		BPrivate::run_events_until([&]() { return BPrivate::count_windows() == windows; }));
}


TEST(WindowTest, TrackingLoopRepaintsWhatItInvalidates)
{
	class TrackingView : public RecordingView {
	public:
		TrackingView() :
			RecordingView(BRect(0, 0, 99, 99), "tracker", B_FOLLOW_NONE, B_WILL_DRAW)
		{
		}

		void MouseDown(BPoint where) override
		{
			uint32 buttons = B_PRIMARY_MOUSE_BUTTON;
			BPoint point = where;
			int32 pending = -1;
			while (buttons != 0) {
				snooze(20000);
				GetMouse(&point, &buttons, true);
				// The poll painted what the previous round invalidated.
				if (pending >= 0 && DrawCount() > pending)
					repaintedDuringDrag++;
				path.push_back(point);
				pending = DrawCount();
				Invalidate(BRect(point.x, point.y, point.x + 1, point.y + 1));
			}
			done = true;
		}

		std::vector<BPoint> path;
		int32 repaintedDuringDrag = 0;
		std::atomic<bool> done{false};
	};

	TestWindow* window = new TestWindow(BRect(200, 100, 299, 199));
	TrackingView* view = new TrackingView;
	window->AddChild(view);
	window->Show();
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return view->DrawCount() > 0; }));

	window->Lock();
	BPrivate::push_pointer_state(BPoint(210, 110), B_PRIMARY_MOUSE_BUTTON);
	BPrivate::push_pointer_state(BPoint(220, 130), B_PRIMARY_MOUSE_BUTTON);
	BPrivate::push_pointer_state(BPoint(230, 150), 0);
	BPrivate::simulate_mouse_down(view, BPoint(5, 5), B_PRIMARY_MOUSE_BUTTON);
	window->Unlock();
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return view->done.load(); }));
	ASSERT_EQ(view->path.size(), 3u);
	EXPECT_EQ(view->path[0], BPoint(10, 10));
	EXPECT_EQ(view->path[1], BPoint(20, 30));
	EXPECT_EQ(view->path[2], BPoint(30, 50));
	EXPECT_EQ(view->repaintedDuringDrag, 2);
	BPrivate::clear_pointer_script();
	CloseWindow(window);
}
