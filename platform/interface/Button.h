#ifndef _BUTTON_H
#define _BUTTON_H

#include <Control.h>

// A push button: pressing and releasing the primary button over it (or
// space or return while it has the focus) invokes it.
class BButton : public BControl {
public:
	BButton(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BButton();

	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void GetPreferredSize(float* _width, float* _height);

	void MakeDefault(bool isDefault);
	bool IsDefault() const { return fIsDefault; }

private:
	bool fIsDefault;
};

#endif
