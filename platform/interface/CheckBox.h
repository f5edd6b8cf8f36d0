#ifndef _CHECK_BOX_H
#define _CHECK_BOX_H

#include <Control.h>

// A box with a label that is checked (B_CONTROL_ON) or not. Releasing the
// primary button over it (or space or return while it has the focus)
// toggles the value and invokes it.
class BCheckBox : public BControl {
public:
	BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BCheckBox();

	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void KeyDown(const char* bytes, int32 numBytes);
	virtual void GetPreferredSize(float* _width, float* _height);
};

#endif
