// Windows on the offscreen platform: the frame as content area, resizing
// modes, painting and invalidation from other threads, input messages,
// pulses and closing.
#include <thread>

#include <Application.h>

#include "InterfacePrivate.h"
#include "InterfaceTestSupport.h"

using namespace glim_test;

namespace {

// A view that records what the layer asks of it.
class RecordingView : public BView {
public:
	RecordingView(BRect frame, uint32 flags, uint32 mode = B_FOLLOW_NONE,
		const char* name = "view") :
		BView(frame, name, mode, flags)
	{
	}

	void Draw(BRect update) override
	{
		std::lock_guard<std::mutex> guard(lock);
		draws.push_back(update);
		SetHighColor(10, 200, 30);
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
		if (BMessage* current = Window()->CurrentMessage())
			keyMessage = *current;
	}

	int32 DrawCount()
	{
		std::lock_guard<std::mutex> guard(lock);
		return (int32)draws.size();
	}

	// Waits until the view has been painted more than after times.
	bool WaitForDraw(int32 after = 0)
	{
		return BPrivate::run_events_until([&]() { return DrawCount() > after; });
	}

	std::mutex lock;
	std::vector<BRect> draws;
	std::vector<BPoint> resizes;
	BMessage downMessage;
	BPoint downWhere;
	std::atomic<int32> mouseDowns{0};
	std::atomic<int32> pulses{0};
	std::vector<std::string> keys;
	BMessage keyMessage;
};


class TestWindow : public BWindow {
public:
	TestWindow(BRect frame) :
		BWindow(frame, "test", B_TITLED_WINDOW, 0)
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


class WindowTest : public testing::Test {
protected:
	// A shown window at frame with the views as its children.
	TestWindow* Open(BRect frame, std::initializer_list<BView*> views = {})
	{
		fWindow = new TestWindow(frame);
		for (BView* view : views)
			fWindow->AddChild(view);
		fWindow->Show();
		return fWindow;
	}

	void TearDown() override
	{
		if (fWindow != NULL)
			CloseWindow(fWindow);
	}

	TestWindow* fWindow = NULL;
};

} // namespace


TEST_F(WindowTest, FrameIsTheContentArea)
{
	TestWindow* window = new TestWindow(BRect(50, 60, 349, 259));
	EXPECT_EQ(window->Bounds(), BRect(0, 0, 299, 199));
	EXPECT_TRUE(window->IsHidden());
	window->Show();
	fWindow = window;
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
}


// Each mode's arithmetic is in the view test; here the window's resize
// reaches nested views and their frame hooks.
TEST_F(WindowTest, ResizingModesFollowTheWindow)
{
	RecordingView* all = new RecordingView(BRect(0, 10, 149, 89), B_FRAME_EVENTS, B_FOLLOW_ALL);
	RecordingView* leftColumn = new RecordingView(BRect(0, 10, 49, 89), B_FRAME_EVENTS,
		B_FOLLOW_LEFT | B_FOLLOW_TOP_BOTTOM);
	BView* nested = new BView(BRect(0, 0, 149, 79), "nested", B_FOLLOW_ALL, 0);
	all->AddChild(nested);
	TestWindow* window = Open(BRect(0, 0, 199, 99), {all, leftColumn});

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
}


TEST_F(WindowTest, ViewColourFillsUnlessTransparent)
{
	BView* plain = new BView(BRect(0, 0, 29, 29), "plain", B_FOLLOW_NONE, 0);
	plain->SetViewColor(200, 0, 0);
	RecordingView* drawn = new RecordingView(BRect(30, 0, 59, 29), B_WILL_DRAW);
	TestWindow* window = Open(BRect(0, 0, 59, 29), {plain, drawn});
	EXPECT_EQ(GrabbedPixel(window, 5, 5), make_color(200, 0, 0));
	EXPECT_EQ(GrabbedPixel(window, 45, 5), make_color(10, 200, 30));
}


TEST_F(WindowTest, InvalidateFromAnotherThreadRepaintsInScrolledCoordinates)
{
	RecordingView* view = new RecordingView(BRect(0, 0, 99, 99), B_WILL_DRAW, B_FOLLOW_ALL);
	TestWindow* window = Open(BRect(0, 0, 99, 99), {view});
	ASSERT_TRUE(view->WaitForDraw());
	window->Lock();
	view->ScrollTo(BPoint(0, 500));
	EXPECT_EQ(view->Bounds(), BRect(0, 500, 99, 599));
	window->Unlock();
	glim_test::Settle(50000);
	int32 before = view->DrawCount();

	// The worker keeps the lock a while after invalidating: the GUI thread
	// goes on running meanwhile and paints once the lock is free, with the
	// update in the view's scrolled coordinates.
	std::atomic<bool> released{false};
	std::thread worker([&]() {
		ASSERT_EQ(window->LockWithTimeout(1000000), B_OK);
		view->Invalidate(BRect(10, 510, 19, 519));
		snooze(100000);
		released = true;
		window->Unlock();
	});
	bool stayedAlive = BPrivate::run_events_until([&]() { return released.load(); });
	worker.join();
	EXPECT_TRUE(stayedAlive);
	ASSERT_TRUE(view->WaitForDraw(before));
	std::lock_guard<std::mutex> guard(view->lock);
	EXPECT_TRUE(view->draws.back().Contains(BRect(10, 510, 19, 519)));
	EXPECT_GE(view->draws.back().top, 500);
}


TEST_F(WindowTest, MouseDownCarriesThePlatformFields)
{
	RecordingView* view = new RecordingView(BRect(20, 20, 119, 119), B_WILL_DRAW);
	TestWindow* window = Open(BRect(100, 100, 299, 299), {view});
	window->Lock();
	view->ScrollTo(BPoint(0, 40));
	BPrivate::simulate_mouse_down(view, BPoint(5, 47), B_SECONDARY_MOUSE_BUTTON, B_SHIFT_KEY,
		2);
	window->Unlock();
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return view->mouseDowns > 0; }));
	EXPECT_EQ(view->downWhere, BPoint(5, 47));
	const BMessage& down = view->downMessage;
	EXPECT_EQ(down.what, (uint32)B_MOUSE_DOWN);
	EXPECT_EQ(down.GetPoint("where", BPoint(-1, -1)), BPoint(5, 47));
	EXPECT_EQ(down.GetInt32("buttons", 0), B_SECONDARY_MOUSE_BUTTON);
	EXPECT_EQ(down.GetInt32("modifiers", 0), B_SHIFT_KEY);
	EXPECT_EQ(down.GetInt32("clicks", 0), 2);
	EXPECT_EQ(modifiers(), (uint32)B_SHIFT_KEY);
}


TEST_F(WindowTest, KeysReachTheFocusView)
{
	RecordingView* parent = new RecordingView(BRect(0, 0, 99, 99), 0);
	BView* child = new BView(BRect(0, 0, 9, 9), "child", B_FOLLOW_NONE, B_NAVIGABLE);
	parent->AddChild(child);
	TestWindow* window = Open(BRect(0, 0, 99, 99), {parent});
	window->Lock();
	child->MakeFocus();
	EXPECT_TRUE(child->IsFocus());
	EXPECT_EQ(window->CurrentFocus(), child);
	window->Unlock();
	const char arrow[] = {B_LEFT_ARROW, 0};
	PressKeys(window, {arrow, "\xc3\xa9"});
	// The child's base KeyDown passes both keys up to its parent.
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return parent->keys.size() == 2; }));
	EXPECT_EQ(parent->keys, (std::vector<std::string>{arrow, "\xc3\xa9"}));
	EXPECT_EQ(parent->keyMessage.what, (uint32)B_KEY_DOWN);
	EXPECT_STREQ(parent->keyMessage.GetString("bytes", ""), "\xc3\xa9");
	for (const char* field : {"raw_char", "key", "modifiers"})
		EXPECT_TRUE(parent->keyMessage.HasData(field, B_INT32_TYPE)) << field;
}


TEST_F(WindowTest, PulseReachesViewsThatNeedIt)
{
	RecordingView* needs = new RecordingView(BRect(0, 0, 9, 9), B_PULSE_NEEDED);
	RecordingView* not_ = new RecordingView(BRect(10, 0, 19, 9), 0);
	RecordingView* hidden = new RecordingView(BRect(20, 0, 29, 9), B_PULSE_NEEDED);
	fWindow = new TestWindow(BRect(0, 0, 99, 99));
	fWindow->AddChild(needs);
	fWindow->AddChild(not_);
	fWindow->AddChild(hidden);
	hidden->Hide();
	fWindow->SetPulseRate(10000);
	EXPECT_EQ(fWindow->PulseRate(), 10000);
	fWindow->Show();
	EXPECT_TRUE(BPrivate::run_events_until([&]() { return needs->pulses >= 3; }));
	EXPECT_EQ(not_->pulses, 0);
	EXPECT_TRUE(BPrivate::run_events_until([&]() { return hidden->pulses >= 3; }))
		<< "a hidden view that needs the pulse gets it too";

	fWindow->Lock();
	fWindow->SetPulseRate(0);
	fWindow->Unlock();
	Settle(50000);
	int32 stopped = needs->pulses;
	Settle();
	EXPECT_EQ(needs->pulses, stopped);
}


TEST_F(WindowTest, CloseAsksQuitRequested)
{
	int32 windows = BPrivate::count_windows();
	TestWindow* window = Open(BRect(0, 0, 99, 99));
	fWindow = NULL;
	EXPECT_EQ(BPrivate::count_windows(), windows + 1);
	window->allowQuit = false;
	window->PostMessage(B_QUIT_REQUESTED);
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return window->quitAsked == 1; }));
	EXPECT_EQ(BPrivate::count_windows(), windows + 1);

	window->allowQuit = true;
	window->PostMessage(B_QUIT_REQUESTED);
	EXPECT_TRUE(
		BPrivate::run_events_until([&]() { return BPrivate::count_windows() == windows; }));
}


TEST_F(WindowTest, TrackingLoopRepaintsWhatItInvalidates)
{
	class TrackingView : public RecordingView {
	public:
		TrackingView() :
			RecordingView(BRect(0, 0, 99, 99), B_WILL_DRAW)
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

	TrackingView* view = new TrackingView;
	TestWindow* window = Open(BRect(200, 100, 299, 199), {view});
	ASSERT_TRUE(view->WaitForDraw());

	window->Lock();
	BPrivate::push_pointer_state(BPoint(210, 110), B_PRIMARY_MOUSE_BUTTON);
	BPrivate::push_pointer_state(BPoint(220, 130), B_PRIMARY_MOUSE_BUTTON);
	BPrivate::push_pointer_state(BPoint(230, 150), 0);
	BPrivate::simulate_mouse_down(view, BPoint(5, 5), B_PRIMARY_MOUSE_BUTTON);
	window->Unlock();
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return view->done.load(); }));
	EXPECT_EQ(view->path,
		(std::vector<BPoint>{BPoint(10, 10), BPoint(20, 30), BPoint(30, 50)}));
	EXPECT_EQ(view->repaintedDuringDrag, 2);
	BPrivate::clear_pointer_script();
}
