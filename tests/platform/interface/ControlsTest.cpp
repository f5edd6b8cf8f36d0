// Check boxes, radio buttons (exclusive per parent), sliders, text controls
// and boxes: their values, messages, input and drawing.
#include <thread>

#include <QKeyEvent>
#include <QLineEdit>

#include <Box.h>
#include <CheckBox.h>
#include <RadioButton.h>
#include <Slider.h>
#include <TextControl.h>

#include "InterfaceTestSupport.h"

using namespace glim_test;

namespace {

const char kLeft[] = {B_LEFT_ARROW, 0};
const char kHome[] = {B_HOME, 0};


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
	BRadioButton* radios[3];
	for (int i = 0; i < 3; i++)
		radios[i] = new BRadioButton(BRect(0, 20 * i, 90, 20 * i + 19), "a", "A", NULL);
	BCheckBox* check = new BCheckBox(BRect(0, 60, 90, 79), "check", "Check", NULL);
	BRadioButton* other = new BRadioButton(BRect(0, 0, 90, 19), "b1", "B1", NULL);
	first.AddChild(radios[0]);
	first.AddChild(check);
	first.AddChild(radios[1]);
	first.AddChild(radios[2]);
	second.AddChild(other);
	check->SetValue(B_CONTROL_ON);
	other->SetValue(B_CONTROL_ON);

	for (int on : {0, 2, 1}) {
		SCOPED_TRACE(on);
		radios[on]->SetValue(B_CONTROL_ON);
		for (int i = 0; i < 3; i++)
			EXPECT_EQ(radios[i]->Value(), i == on ? B_CONTROL_ON : B_CONTROL_OFF);
		// Other parents and other controls are left alone.
		EXPECT_EQ(other->Value(), B_CONTROL_ON);
		EXPECT_EQ(check->Value(), B_CONTROL_ON);
	}
	radios[1]->SetValue(B_CONTROL_OFF);
	EXPECT_EQ(radios[0]->Value() + radios[1]->Value() + radios[2]->Value(), 0);
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

	PressAndRelease(fixed, BPoint(5, 5), 0);
	PressAndRelease(check, BPoint(3, 10), 0);
	PressAndRelease(check, BPoint(3, 10), 0);
	ASSERT_TRUE(window->WaitFor(3));
	EXPECT_EQ(window->Fields("be:value"),
		(FieldList{{'BDef', B_CONTROL_ON}, {'Pftw', B_CONTROL_ON}, {'Pftw', B_CONTROL_OFF}}));
	window->Lock();
	EXPECT_EQ(fixed->Value(), B_CONTROL_ON);
	EXPECT_EQ(last->Value(), B_CONTROL_OFF);

	// A disabled control ignores the click; space toggles a focused one.
	last->SetEnabled(false);
	window->Unlock();
	PressAndRelease(last, BPoint(5, 5), 0);
	PressKeys(window, {" "}, check);
	ASSERT_TRUE(window->WaitFor(4));
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
	float withMarks;
	float withLabels;
	slider.GetPreferredSize(NULL, &plain);
	slider.SetHashMarks(B_HASH_MARKS_BOTTOM);
	slider.SetHashMarkCount(10);
	slider.GetPreferredSize(NULL, &withMarks);
	slider.SetLimitLabels("Small", "Large");
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
	// Only the release sends the message, with the value the drag ended on.
	ASSERT_TRUE(window->WaitFor(1));
	EXPECT_EQ(window->Fields("be:value"), (FieldList{{'Psst', 120}}));

	// Each key that changes the value sends the message; the last one
	// changes nothing.
	PressKeys(window, {kLeft, kHome, kLeft}, slider);
	ASSERT_TRUE(window->WaitFor(3));
	Settle();
	EXPECT_EQ(window->Fields("be:value"),
		(FieldList{{'Psst', 120}, {'Psst', 119}, {'Psst', 1}}));
	BPrivate::clear_pointer_script();
	CloseWindow(window);
}


TEST(TextControlTest, TypingEditsAndReturnInvokes)
{
	Receiver* window = new Receiver("text control");
	BTextControl* control = new BTextControl(BRect(5, 75, 155, 95), "TheFolder", "",
		"/boot/home", new BMessage('BDtx'), B_FOLLOW_LEFT, B_WILL_DRAW);
	window->AddChild(control);
	window->Show();
	QLineEdit* edit = WaitForWidget<QLineEdit>("text control");
	ASSERT_NE(edit, nullptr);
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
	ASSERT_TRUE(window->WaitFor(1));
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
	window->Lock();
	control->SetText(NULL);
	EXPECT_STREQ(control->Text(), "");
	window->Unlock();
	CloseWindow(window);
}


TEST(BoxTest, BorderAroundChildren)
{
	Canvas canvas(60, 50, make_color(216, 216, 216));
	BView* parent = canvas.view;
	parent->SetViewColor(216, 216, 216);
	BBox* box = new BBox(BRect(5, 5, 54, 44), "Default Folder Box", 0, B_WILL_DRAW);
	parent->AddChild(box);
	BView* child = new BView(BRect(5, 5, 14, 14), "child", 0, B_WILL_DRAW);
	box->AddChild(child);
	EXPECT_EQ(box->Label(), nullptr);
	EXPECT_EQ(box->ViewColor(), make_color(216, 216, 216));

	box->Draw(box->Bounds());
	child->SetHighColor(0, 0, 255);
	child->FillRect(child->Bounds());
	child->Sync();
	EXPECT_LT(canvas.Pixel(5, 20).red, 200);
	ExpectPixels(canvas.bitmap,
		{{6, 20, make_color(255, 255, 255)}, {30, 20, make_color(216, 216, 216)},
			{12, 12, make_color(0, 0, 255)}});
}
