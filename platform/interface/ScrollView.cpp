#include "ScrollView.h"

#include <ScrollBar.h>

namespace {

float
border_size(border_style border)
{
	switch (border) {
		case B_FANCY_BORDER:
			return 2;
		case B_PLAIN_BORDER:
			return 1;
		default:
			return 0;
	}
}


BRect
scroll_view_frame(BView* target, bool horizontal, bool vertical, border_style border)
{
	BRect frame = target != NULL ? target->Frame() : BRect(0, 0, 0, 0);
	float size = border_size(border);
	frame.InsetBy(-size, -size);
	if (vertical)
		frame.right += B_V_SCROLL_BAR_WIDTH;
	if (horizontal)
		frame.bottom += B_H_SCROLL_BAR_HEIGHT;
	return frame;
}

} // namespace


BScrollView::BScrollView(const char* name, BView* target, uint32 resizingMode, uint32 flags,
	bool horizontal, bool vertical, border_style border) :
	BView(scroll_view_frame(target, horizontal, vertical, border), name, resizingMode,
		flags | B_WILL_DRAW | B_FRAME_EVENTS),
	fTarget(target),
	fHorizontalScrollBar(NULL),
	fVerticalScrollBar(NULL),
	fBorder(border)
{
	float size = border_size(border);
	if (target == NULL)
		return;
	BRect targetFrame = target->Frame().OffsetToCopy(size, size);
	target->MoveTo(size, size);
	target->SetResizingMode(B_FOLLOW_ALL);
	AddChild(target);
	target->TargetedByScrollView(this);
	if (vertical) {
		BRect barFrame(targetFrame.right + 1, targetFrame.top,
			targetFrame.right + B_V_SCROLL_BAR_WIDTH, targetFrame.bottom);
		fVerticalScrollBar = new BScrollBar(barFrame, "_VSB_", target, 0, 0, B_VERTICAL);
		AddChild(fVerticalScrollBar);
	}
	if (horizontal) {
		BRect barFrame(targetFrame.left, targetFrame.bottom + 1, targetFrame.right,
			targetFrame.bottom + B_H_SCROLL_BAR_HEIGHT);
		fHorizontalScrollBar = new BScrollBar(barFrame, "_HSB_", target, 0, 0, B_HORIZONTAL);
		AddChild(fHorizontalScrollBar);
	}
}


BScrollView::~BScrollView()
{
}


BScrollBar*
BScrollView::ScrollBar(orientation direction) const
{
	return direction == B_HORIZONTAL ? fHorizontalScrollBar : fVerticalScrollBar;
}


void
BScrollView::Draw(BRect)
{
	BRect bounds = Bounds();
	if (fBorder == B_PLAIN_BORDER) {
		SetHighColor(96, 96, 96);
		StrokeRect(bounds);
	} else if (fBorder == B_FANCY_BORDER) {
		SetHighColor(152, 152, 152);
		StrokeLine(bounds.LeftBottom(), bounds.LeftTop());
		StrokeLine(bounds.RightTop());
		SetHighColor(255, 255, 255);
		StrokeLine(bounds.RightTop() + BPoint(0, 1), bounds.RightBottom());
		StrokeLine(bounds.LeftBottom() + BPoint(1, 0));
		bounds.InsetBy(1, 1);
		SetHighColor(96, 96, 96);
		StrokeRect(bounds);
	}
	if (fHorizontalScrollBar != NULL && fVerticalScrollBar != NULL) {
		BRect corner(fVerticalScrollBar->Frame().left, fHorizontalScrollBar->Frame().top,
			fVerticalScrollBar->Frame().right, fHorizontalScrollBar->Frame().bottom);
		SetHighColor(216, 216, 216);
		FillRect(corner);
	}
}
