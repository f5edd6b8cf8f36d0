#ifndef _SCROLL_VIEW_H
#define _SCROLL_VIEW_H

#include <View.h>

class BScrollBar;

// A frame around a target view with optional scroll bars. The scroll view's
// frame is the target's frame grown by the border (fancy: 2 pixels, plain:
// 1, none: 0) on every side and by B_V_SCROLL_BAR_WIDTH on the right and
// B_H_SCROLL_BAR_HEIGHT at the bottom for the bars it has. The target
// becomes its child and follows its size; the bars target it.
class BScrollView : public BView {
public:
	BScrollView(const char* name, BView* target,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP, uint32 flags = 0,
		bool horizontal = false, bool vertical = false, border_style border = B_FANCY_BORDER);
	virtual ~BScrollView();

	virtual void Draw(BRect updateRect);

	BScrollBar* ScrollBar(orientation direction) const;
	BView* Target() const { return fTarget; }

private:
	BView* fTarget;
	BScrollBar* fHorizontalScrollBar;
	BScrollBar* fVerticalScrollBar;
	border_style fBorder;
};

#endif
