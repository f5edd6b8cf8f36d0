// Check boxes, radio buttons, sliders and text controls: their values,
// messages and input.
#include <QLineEdit>

#include <CheckBox.h>
#include <RadioButton.h>
#include <Slider.h>
#include <TextControl.h>

#include "InterfaceTestSupport.h"

using namespace glim_test;


TEST(ControlClickTest, RadioTurnsOnCheckBoxToggles)
{
	Receiver* window = new Receiver("controls");
	BRadioButton* last = new BRadioButton(BRect(10, 25, 175, 45), "UseLastFolder",
		"Last Used Folder", new BMessage('Bulf'));
	BRadioButton* fixed = new BRadioButton(BRect(10, 50, 175, 70), "UseThisFolder",
		"Always use this folder", new BMessage('BDef'));
	BCheckBox* check = new BCheckBox(BRect(10, 75, 180, 95), "Fit To Window",
		"Fit image to window size", new BMessage('Pftw'));
	last->SetValue(B_CONTROL_ON);
	ShowWith(window, {last, fixed, check});

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


TEST(SliderTest, DraggingAndKeysChangeTheValue)
{
	Receiver* window = new Receiver("controls");
	BSlider* slider = new BSlider(BRect(5, 5, 215, 35), "SlideShow Timer Slider",
		"SlideShow Timer", new BMessage('Psst'), 1, 120);
	slider->SetHashMarks(B_HASH_MARKS_BOTTOM);
	slider->SetHashMarkCount(10);
	slider->SetLimitLabels("Fast", "Slow");
	slider->SetValue(5);
	ShowWith(window, {slider});

	window->Lock();
	// Attached, it is as tall as its parts; its left, top and width stay.
	float height;
	slider->GetPreferredSize(NULL, &height);
	EXPECT_EQ(slider->Frame(), BRect(5, 5, 215, 5 + height));
	BRect bar = slider->BarFrame();
	BPoint start = slider->ThumbFrame().LeftTop() + BPoint(5, 5);
	BPoint end(bar.right + 30, start.y);
	BPrivate::push_pointer_state(slider->ConvertToScreen(
									 BPoint(bar.left + bar.Width() / 2, start.y)),
		B_PRIMARY_MOUSE_BUTTON);
	BPrivate::push_pointer_state(slider->ConvertToScreen(end), B_PRIMARY_MOUSE_BUTTON);
	BPrivate::push_pointer_state(slider->ConvertToScreen(end), 0);
	BPrivate::simulate_mouse_down(slider, start, B_PRIMARY_MOUSE_BUTTON);
	window->Unlock();
	// Only the release sends the message, with the value the drag ended on.
	ASSERT_TRUE(window->WaitFor(1));
	EXPECT_EQ(window->Fields("be:value"), (FieldList{{'Psst', 120}}));

	// Each key that changes the value sends the message; the last one
	// changes nothing.
	const char left[] = {B_LEFT_ARROW, 0};
	const char home[] = {B_HOME, 0};
	PressKeys(window, {left, home, left}, slider);
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
	ShowWith(window, {control});
	QLineEdit* edit = WaitForWidget<QLineEdit>("text control");
	ASSERT_NE(edit, nullptr);
	EXPECT_EQ(edit->text(), "/boot/home");
	EXPECT_TRUE(edit->isEnabled());
	EXPECT_EQ(edit->geometry(), QRect(0, 0, 151, 21));

	edit->setFocus();
	edit->end(false);
	SendKey(edit, Qt::Key_Slash, "/");
	SendKey(edit, Qt::Key_Eacute, QString::fromUtf8("\xc3\xa9"));
	Settle();
	EXPECT_EQ(window->count, 0);
	window->Lock();
	EXPECT_STREQ(control->Text(), "/boot/home/\xc3\xa9");
	window->Unlock();
	SendKey(edit, Qt::Key_Return);
	ASSERT_TRUE(window->WaitFor(1));
	EXPECT_EQ(window->At(0).what, (uint32)'BDtx');
	// Return again without a change sends nothing.
	SendKey(edit, Qt::Key_Return);
	Settle();
	EXPECT_EQ(window->count, 1);

	// Text set by the program is shown, even a name that is not UTF-8;
	// disabled, the field is greyed and typing is refused.
	window->Lock();
	control->SetText("/tmp/\xff");
	control->SetEnabled(false);
	window->Unlock();
	EXPECT_EQ(edit->text(), QString::fromUtf8("/tmp/\xff"));
	EXPECT_FALSE(edit->isEnabled());
	SendKey(edit, Qt::Key_A, "a");
	Settle();
	window->Lock();
	EXPECT_STREQ(control->Text(), "/tmp/\xff");
	control->SetEnabled(true);
	control->SetDivider(40);
	control->SetText(NULL);
	EXPECT_STREQ(control->Text(), "");
	window->Unlock();
	EXPECT_TRUE(edit->isEnabled());
	EXPECT_EQ(edit->geometry().left(), 40);
	CloseWindow(window);
}
