// Windows on the offscreen platform: resizing modes, keys reaching the
// focus view, and pulses.
#include <Application.h>

#include "InterfaceTestSupport.h"

using namespace glim_test;

namespace {

// A view that records what the layer asks of it.
class RecordingView : public BView {
public:
	using BView::BView;

	void FrameResized(float width, float height) override { resized = BPoint(width, height); }

	void Pulse() override { pulses++; }

	void KeyDown(const char* bytes, int32 numBytes) override
	{
		keys.push_back(std::string(bytes, numBytes));
		if (BMessage* current = Window()->CurrentMessage())
			keyMessage = *current;
	}

	BPoint resized;
	std::atomic<int32> pulses{0};
	std::vector<std::string> keys;
	BMessage keyMessage;
};


class TestWindow : public BWindow {
public:
	using BWindow::BWindow;

	void FrameResized(float width, float height) override { resized = BPoint(width, height); }

	BPoint resized;
};


class WindowTest : public testing::Test {
protected:
	// A shown window at frame with the views as its children, pulsing at
	// pulseRate if it is given.
	TestWindow* Open(BRect frame, std::initializer_list<BView*> views, bigtime_t pulseRate = 0)
	{
		fWindow = new TestWindow(frame, "test", B_TITLED_WINDOW, 0);
		if (pulseRate > 0)
			fWindow->SetPulseRate(pulseRate);
		ShowWith(fWindow, views);
		return fWindow;
	}

	void TearDown() override { CloseWindow(fWindow); }

	TestWindow* fWindow = NULL;
};

} // namespace


// Each mode's arithmetic is in the view test; here the window's resize
// reaches nested views and their frame hooks.
TEST_F(WindowTest, ResizingModesFollowTheWindow)
{
	RecordingView* all = new RecordingView(BRect(0, 10, 149, 89), "all", B_FOLLOW_ALL,
		B_FRAME_EVENTS);
	RecordingView* leftColumn = new RecordingView(BRect(0, 10, 49, 89), "left",
		B_FOLLOW_LEFT | B_FOLLOW_TOP_BOTTOM, B_FRAME_EVENTS);
	BView* nested = new BView(BRect(0, 0, 149, 79), "nested", B_FOLLOW_ALL, 0);
	all->AddChild(nested);
	TestWindow* window = Open(BRect(0, 0, 199, 99), {all, leftColumn});

	window->Lock();
	window->ResizeTo(299, 149);
	EXPECT_EQ(all->Frame(), BRect(0, 10, 249, 139));
	EXPECT_EQ(nested->Frame(), BRect(0, 0, 249, 129));
	EXPECT_EQ(leftColumn->Frame(), BRect(0, 10, 49, 139));
	EXPECT_EQ(all->resized, BPoint(249, 129));
	EXPECT_EQ(leftColumn->resized, BPoint(49, 129));
	window->Unlock();

	// The window's own hook follows through its queue.
	EXPECT_TRUE(
		BPrivate::run_events_until([&]() { return window->resized == BPoint(299, 149); }));
}


TEST_F(WindowTest, KeysReachTheFocusView)
{
	RecordingView* parent = new RecordingView(BRect(0, 0, 99, 99), "parent", B_FOLLOW_NONE, 0);
	BView* child = new BView(BRect(0, 0, 9, 9), "child", B_FOLLOW_NONE, B_NAVIGABLE);
	parent->AddChild(child);
	TestWindow* window = Open(BRect(0, 0, 99, 99), {parent});
	window->Lock();
	child->MakeFocus();
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


TEST_F(WindowTest, PulseReachesViewsThatNeedItUntilTheRateIsZero)
{
	RecordingView* needs = new RecordingView(BRect(0, 0, 9, 9), "needs", B_FOLLOW_NONE,
		B_PULSE_NEEDED);
	RecordingView* not_ = new RecordingView(BRect(10, 0, 19, 9), "not", B_FOLLOW_NONE, 0);
	TestWindow* window = Open(BRect(0, 0, 99, 99), {needs, not_}, 10000);
	EXPECT_TRUE(BPrivate::run_events_until([&]() { return needs->pulses >= 3; }));
	EXPECT_EQ(not_->pulses, 0);

	// A stopped slide show must not step on.
	window->Lock();
	window->SetPulseRate(0);
	window->Unlock();
	Settle(50000);
	int32 stopped = needs->pulses;
	Settle();
	EXPECT_EQ(needs->pulses, stopped);
}
