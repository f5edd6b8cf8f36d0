#ifndef _RADIO_BUTTON_H
#define _RADIO_BUTTON_H

#include <Control.h>

// One of a group of choices: the radio buttons that are children of one
// parent view exclude each other, so turning one on (by the user or by
// SetValue) turns the others off. Releasing the primary button over it (or
// space or return while it has the focus) turns it on and invokes it.
class BRadioButton : public BControl {
public:
	BRadioButton(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BRadioButton();

	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void KeyDown(const char* bytes, int32 numBytes);
	virtual void GetPreferredSize(float* _width, float* _height);

	virtual void SetValue(int32 value);
};

#endif
