// Check boxes, radio buttons (exclusive per parent), sliders, text controls
// and boxes: their values, messages, input and drawing.
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <Bitmap.h>
#include <Box.h>
#include <CheckBox.h>
#include <Message.h>
#include <RadioButton.h>
#include <Slider.h>
#include <TextControl.h>
#include <Window.h>

#include "TestHooks.h"
#include "InterfaceTestSupport.h"

using glim_test::CloseWindow;
using glim_test::PixelAt;
using glim_test::Receiver;

namespace {

// A click: pressed and released at where, in the view's coordinates.
void
Click(BView* view, BPoint where)
{
	view->Window()->Lock();
	BPrivate::push_pointer_state(view->ConvertToScreen(where), 0);
	BPrivate::simulate_mouse_down(view, where, B_PRIMARY_MOUSE_BUTTON);
	view->Window()->Unlock();
}


void
Settle()
{
	BPrivate::run_events_until([]() { return false; }, 100000);
}


QLineEdit*
FindLineEdit(const char* windowTitle)
{
	for (QWidget* top : QApplication::topLevelWidgets()) {
		if (top->windowTitle() == windowTitle && top->isVisible())
			return top->findChild<QLineEdit*>();
	}
	return NULL;
}


void
Type(QWidget* widget, int key, const QString& text = QString())
{
	QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
	QApplication::sendEvent(widget, &press);
	QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
	QApplication::sendEvent(widget, &release);
}

} // namespace


TEST(RadioButtonTest, OnePerParentIsOn)
{
	BView first(BRect(0, 0, 99, 99), "first", 0, 0);
	BView second(BRect(0, 0, 99, 99), "second", 0, 0);
	BRadioButton* a1 = new BRadioButton(BRect(0, 0, 90, 19), "a1", "A1", NULL);
	BRadioButton* a2 = new BRadioButton(BRect(0, 20, 90, 39), "a2", "A2", NULL);
	BCheckBox* check = new BCheckBox(BRect(0, 40, 90, 59), "check", "Check", NULL);
	BRadioButton* a3 = new BRadioButton(BRect(0, 60, 90, 79), "a3", "A3", NULL);
	BRadioButton* b1 = new BRadioButton(BRect(0, 0, 90, 19), "b1", "B1", NULL);
	first.AddChild(a1);
	first.AddChild(a2);
	first.AddChild(check);
	first.AddChild(a3);
	second.AddChild(b1);
	check->SetValue(B_CONTROL_ON);
	b1->SetValue(B_CONTROL_ON);

	a1->SetValue(B_CONTROL_ON);
	EXPECT_EQ(a1->Value(), B_CONTROL_ON);
	a3->SetValue(B_CONTROL_ON);
	EXPECT_EQ(a1->Value(), B_CONTROL_OFF);
	EXPECT_EQ(a3->Value(), B_CONTROL_ON);
	a2->SetValue(B_CONTROL_ON);
	EXPECT_EQ(a3->Value(), B_CONTROL_OFF);
	EXPECT_EQ(a2->Value(), B_CONTROL_ON);
	// Other parents and other controls are left alone.
	EXPECT_EQ(b1->Value(), B_CONTROL_ON);
	EXPECT_EQ(check->Value(), B_CONTROL_ON);
	a2->SetValue(B_CONTROL_OFF);
	EXPECT_EQ(a1->Value() + a2->Value() + a3->Value(), 0);
}


TEST(ControlClickTest, RadioTurnsOnCheckBoxToggles)
{
	Receiver* window = new Receiver("controls");
	BRadioButton* last = new BRadioButton(BRect(10, 25, 175, 45), "UseLastFolder",
		"Last Used Folder", new BMessage('Bulf'));
	BRadioButton* fixed = new BRadioButton(BRect(10, 50, 175, 70), "UseThisFolder",
		"Always use this folder", new BMessage('BDef'));
	BCheckBox* check = new BCheckBox(BRect(10, 75, 180, 95), "Fit To Window",
		"Fit image to window size", new BMessage('Pftw'));
	window->AddChild(last);
	window->AddChild(fixed);
	window->AddChild(check);
	last->SetValue(B_CONTROL_ON);
	window->Show();

	Click(fixed, BPoint(5, 5));
	Click(check, BPoint(3, 10));
	Click(check, BPoint(3, 10));
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return window->count == 3; }));
	EXPECT_EQ(window->Whats(), (std::vector<uint32>{'BDef', 'Pftw', 'Pftw'}));
	EXPECT_EQ(window->At(0).GetInt32("be:value", -1), B_CONTROL_ON);
	EXPECT_EQ(window->At(1).GetInt32("be:value", -1), B_CONTROL_ON);
	EXPECT_EQ(window->At(2).GetInt32("be:value", -1), B_CONTROL_OFF);
	window->Lock();
	EXPECT_EQ(fixed->Value(), B_CONTROL_ON);
	EXPECT_EQ(last->Value(), B_CONTROL_OFF);

	// A disabled control ignores the click; space toggles a focused one.
	last->SetEnabled(false);
	window->Unlock();
	Click(last, BPoint(5, 5));
	window->Lock();
	check->MakeFocus(true);
	BPrivate::simulate_key_down(window, " ");
	window->Unlock();
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return window->count == 4; }));
	Settle();
	EXPECT_EQ(window->count, 4);
	window->Lock();
	EXPECT_EQ(fixed->Value(), B_CONTROL_ON);
	EXPECT_EQ(check->Value(), B_CONTROL_ON);
	window->Unlock();
	BPrivate::clear_pointer_script();
	CloseWindow(window);
}


TEST(SliderTest, ValueStaysInRangeAndLabelsAreKept)
{
	BSlider slider(BRect(5, 5, 215, 35), "Thumbnail Size Slider", "Thumbnail Size",
		new BMessage('Btsz'), 32, 240);
	EXPECT_EQ(slider.Value(), 32);
	const struct {
		int32 set;
		int32 expected;
	} kValues[] = {{100, 100}, {31, 32}, {32, 32}, {240, 240}, {241, 240}, {-5, 32},
		{INT32_MAX, 240}};
	for (const auto& entry : kValues) {
		SCOPED_TRACE(testing::Message() << "set " << entry.set);
		slider.SetValue(entry.set);
		EXPECT_EQ(slider.Value(), entry.expected);
	}

	// Hash marks and limit labels make the slider taller.
	float plain;
	slider.GetPreferredSize(NULL, &plain);
	slider.SetHashMarks(B_HASH_MARKS_BOTTOM);
	slider.SetHashMarkCount(10);
	float withMarks;
	slider.GetPreferredSize(NULL, &withMarks);
	slider.SetLimitLabels("Small", "Large");
	float withLabels;
	slider.GetPreferredSize(NULL, &withLabels);
	EXPECT_GT(withMarks, plain);
	EXPECT_GT(withLabels, withMarks + 10);
	BRect bar = slider.BarFrame();
	EXPECT_GT(bar.top, 12);

	// The ends of the bar give the limits; the thumb follows the value.
	EXPECT_EQ(slider.ValueForPoint(BPoint(bar.left - 20, 0)), 32);
	EXPECT_EQ(slider.ValueForPoint(BPoint(bar.right + 20, 0)), 240);
	EXPECT_EQ(slider.ValueForPoint(BPoint(bar.left + bar.Width() / 2, 0)), 136);
	slider.SetValue(32);
	float low = slider.ThumbFrame().left;
	slider.SetValue(240);
	EXPECT_NEAR(slider.ThumbFrame().left - low, bar.Width(), 1);
}


TEST(SliderTest, DraggingAndKeysChangeTheValue)
{
	Receiver* window = new Receiver("controls");
	BSlider* slider = new BSlider(BRect(5, 5, 215, 35), "SlideShow Timer Slider",
		"SlideShow Timer", new BMessage('Psst'), 1, 120);
	slider->SetHashMarks(B_HASH_MARKS_BOTTOM);
	slider->SetHashMarkCount(10);
	slider->SetLimitLabels("Fast", "Slow");
	window->AddChild(slider);
	slider->SetValue(5);
	window->Show();

	window->Lock();
	// Attached, it is as tall as its parts; its left, top and width stay.
	EXPECT_EQ(slider->Frame().LeftTop(), BPoint(5, 5));
	EXPECT_EQ(slider->Frame().Width(), 210);
	float height;
	slider->GetPreferredSize(NULL, &height);
	EXPECT_EQ(slider->Frame().Height(), height);
	BRect thumb = slider->ThumbFrame();
	BRect bar = slider->BarFrame();
	BPoint start(thumb.left + 5, thumb.top + 5);
	BPoint middle(bar.left + bar.Width() / 2, start.y);
	BPoint end(bar.right + 30, start.y);
	BPrivate::push_pointer_state(slider->ConvertToScreen(middle), B_PRIMARY_MOUSE_BUTTON);
	BPrivate::push_pointer_state(slider->ConvertToScreen(end), B_PRIMARY_MOUSE_BUTTON);
	BPrivate::push_pointer_state(slider->ConvertToScreen(end), 0);
	BPrivate::simulate_mouse_down(slider, start, B_PRIMARY_MOUSE_BUTTON);
	window->Unlock();
	ASSERT_TRUE(BPrivate::run_events_until([&]() {
		std::vector<uint32> whats = window->Whats();
		return !whats.empty() && whats.back() == 'Psst';
	}));
	std::vector<uint32> whats = window->Whats();
	// Only the release sends the message, with the value the drag ended on.
	EXPECT_EQ(whats, (std::vector<uint32>{'Psst'}));
	EXPECT_EQ(window->At(0).GetInt32("be:value", -1), 120);

	window->Lock();
	slider->MakeFocus(true);
	const char left[] = {B_LEFT_ARROW, 0};
	const char home[] = {B_HOME, 0};
	BPrivate::simulate_key_down(window, left);
	BPrivate::simulate_key_down(window, home);
	BPrivate::simulate_key_down(window, left);
	window->Unlock();
	// Each key that changes the value sends the message; the last one
	// changes nothing.
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return window->count == 3; }));
	Settle();
	EXPECT_EQ(window->count, 3);
	EXPECT_EQ(window->At(1).GetInt32("be:value", -1), 119);
	EXPECT_EQ(window->At(2).GetInt32("be:value", -1), 1);
	BPrivate::clear_pointer_script();
	CloseWindow(window);
}


TEST(TextControlTest, TextIsKeptAsBytes)
{
	const char kBytes[] = "/boot/home/\xff\xfe caf\xc3\xa9";
	BTextControl control(BRect(5, 75, 155, 95), "TheFolder", "", "/boot/home",
		new BMessage('BDtx'), B_FOLLOW_LEFT, B_WILL_DRAW);
	EXPECT_STREQ(control.Text(), "/boot/home");
	control.SetText(kBytes);
	EXPECT_EQ(strcmp(control.Text(), kBytes), 0);
	control.SetText(NULL);
	EXPECT_STREQ(control.Text(), "");
}


TEST(TextControlTest, TypingEditsAndReturnInvokes)
{
	Receiver* window = new Receiver("text control");
	BTextControl* control = new BTextControl(BRect(5, 75, 155, 95), "TheFolder", "",
		"/boot/home", new BMessage('BDtx'), B_FOLLOW_LEFT, B_WILL_DRAW);
	window->AddChild(control);
	window->Show();
	QLineEdit* edit = NULL;
	ASSERT_TRUE(BPrivate::run_events_until([&]() {
		edit = FindLineEdit("text control");
		return edit != NULL;
	}));
	EXPECT_EQ(edit->text(), "/boot/home");
	EXPECT_TRUE(edit->isEnabled());
	EXPECT_EQ(edit->geometry(), QRect(0, 0, 151, 21));

	edit->setFocus();
	edit->end(false);
	Type(edit, Qt::Key_Slash, "/");
	Type(edit, Qt::Key_Eacute, QString::fromUtf8("\xc3\xa9"));
	Settle();
	EXPECT_EQ(window->count, 0);
	window->Lock();
	EXPECT_STREQ(control->Text(), "/boot/home/\xc3\xa9");
	window->Unlock();
	Type(edit, Qt::Key_Return);
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return window->count == 1; }));
	EXPECT_EQ(window->At(0).what, (uint32)'BDtx');
	// Return again without a change sends nothing.
	Type(edit, Qt::Key_Return);
	Settle();
	EXPECT_EQ(window->count, 1);

	// Text set by the program, read by another thread holding the lock.
	window->Lock();
	control->SetText("/tmp/\xff");
	window->Unlock();
	EXPECT_EQ(edit->text(), QString::fromUtf8("/tmp/\xff"));
	std::string read;
	std::atomic<bool> done{false};
	std::thread reader([&]() {
		if (window->Lock()) {
			read = control->Text();
			window->Unlock();
		}
		done = true;
	});
	BPrivate::run_events_until([&]() { return done.load(); });
	reader.join();
	EXPECT_EQ(read, "/tmp/\xff");

	// Disabled: greyed, and typing is refused.
	window->Lock();
	control->SetEnabled(false);
	window->Unlock();
	EXPECT_FALSE(edit->isEnabled());
	Type(edit, Qt::Key_A, "a");
	Settle();
	window->Lock();
	EXPECT_STREQ(control->Text(), "/tmp/\xff");
	control->SetEnabled(true);
	control->SetDivider(40);
	window->Unlock();
	EXPECT_TRUE(edit->isEnabled());
	EXPECT_EQ(edit->geometry().left(), 40);
	CloseWindow(window);
}


TEST(TextControlTest, FocusLossAfterAChangeInvokes)
{
	Receiver* window = new Receiver("focus");
	BTextControl* first = new BTextControl(BRect(5, 5, 155, 25), "first", "", "",
		new BMessage('frst'));
	BTextControl* second = new BTextControl(BRect(5, 35, 155, 55), "second", "", "",
		new BMessage('scnd'));
	window->AddChild(first);
	window->AddChild(second);
	window->Show();
	window->Lock();
	first->MakeFocus(true);
	window->Unlock();
	QLineEdit* edit = NULL;
	ASSERT_TRUE(BPrivate::run_events_until([&]() {
		edit = FindLineEdit("focus");
		return edit != NULL && edit->hasFocus();
	}));
	Type(edit, Qt::Key_X, "x");
	window->Lock();
	second->MakeFocus(true);
	window->Unlock();
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return window->count == 1; }));
	EXPECT_EQ(window->At(0).what, (uint32)'frst');
	window->Lock();
	EXPECT_TRUE(second->IsFocus());
	EXPECT_STREQ(first->Text(), "x");
	window->Unlock();
	CloseWindow(window);
}


TEST(BoxTest, BorderAroundChildren)
{
	BBitmap bitmap(BRect(0, 0, 59, 49), B_RGB32, true);
	BView* parent = new BView(bitmap.Bounds(), "parent", 0, B_WILL_DRAW);
	parent->SetViewColor(216, 216, 216);
	bitmap.AddChild(parent);
	BBox* box = new BBox(BRect(5, 5, 54, 44), "Default Folder Box", 0, B_WILL_DRAW);
	parent->AddChild(box);
	BView* child = new BView(BRect(5, 5, 14, 14), "child", 0, B_WILL_DRAW);
	box->AddChild(child);
	EXPECT_EQ(box->Label(), nullptr);
	EXPECT_EQ(box->ViewColor(), make_color(216, 216, 216));

	bitmap.Lock();
	parent->SetHighColor(216, 216, 216);
	parent->FillRect(parent->Bounds());
	box->Draw(box->Bounds());
	child->SetHighColor(0, 0, 255);
	child->FillRect(child->Bounds());
	child->Sync();
	rgb_color edge = PixelAt(bitmap, 5, 20);
	EXPECT_LT(edge.red, 200);
	EXPECT_EQ(PixelAt(bitmap, 6, 20), make_color(255, 255, 255));
	EXPECT_EQ(PixelAt(bitmap, 30, 20), make_color(216, 216, 216));
	EXPECT_EQ(PixelAt(bitmap, 12, 12), make_color(0, 0, 255));

	bitmap.Unlock();
}
