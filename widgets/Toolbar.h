#ifndef GLIM_TOOLBAR_H
#define GLIM_TOOLBAR_H

#include <View.h>

class BPicture;

// The strip of six picture buttons under the main window's menu bar (Open,
// Back, Forward, Show, Mouse, Magnify). It makes the buttons when attached,
// each from a normal and a pressed picture of the application's resources;
// a missing picture is reported and leaves the button's place empty. It draws
// a three-line bottom edge over its light-grey background.
class BToolbar : public BView {
public:
	BToolbar(BRect frame);
	virtual ~BToolbar();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);

private:
	BPicture* _Picture(int32 id, const char* missingMessage);
};

#endif
