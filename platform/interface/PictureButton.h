#ifndef _PICTURE_BUTTON_H
#define _PICTURE_BUTTON_H

#include <memory>

#include <Control.h>
#include <Picture.h>

enum {
	B_ONE_STATE_BUTTON,
	B_TWO_STATE_BUTTON
};

// A button drawn with pictures: the off picture normally, the on picture
// while it is pressed (one-state) or while its value is on (two-state). It
// keeps copies of the pictures it is given. Releasing the primary button
// over it (or space or return while it has the focus) invokes it; a
// two-state button toggles its value first. While disabled it shows its
// disabled pictures, or the enabled ones dimmed when it has none.
class BPictureButton : public BControl {
public:
	BPictureButton(BRect frame, const char* name, BPicture* off, BPicture* on,
		BMessage* message, uint32 behavior = B_ONE_STATE_BUTTON,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BPictureButton();

	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void KeyDown(const char* bytes, int32 numBytes);


private:
	void _SetPicture(std::unique_ptr<BPicture>& slot, BPicture* picture);
	bool _Track(BPoint where);

	std::unique_ptr<BPicture> fEnabledOff;
	std::unique_ptr<BPicture> fEnabledOn;
	uint32 fBehavior;
};

#endif
