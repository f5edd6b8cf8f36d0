// The interactive side of the image view: mouse actions, the rubber-band
// selection, panning and gliding, arrow keys and the slide-show pulse.

#include "imageview/ImageView.h"

#include <algorithm>

#include <Bitmap.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <ScrollBar.h>
#include <Window.h>

#include "app/Commands.h"

namespace {

const bigtime_t kTrackingInterval = 20000;
const float kArrowStep = 10;

BRect
normalized(BRect rect)
{
	return BRect(std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
		std::max(rect.left, rect.right), std::max(rect.top, rect.bottom));
}

// Limits a scroll delta to what is left of the bar's range; reports whether
// the range's end was reached.
float
clamp_delta(BScrollBar* bar, float delta, bool& hitEnd)
{
	if (bar == NULL)
		return 0;
	float min, max;
	bar->GetRange(&min, &max);
	float value = bar->Value();
	if (value + delta < min)
		delta = min - value;
	if (value + delta > max) {
		delta = max - value;
		hitEnd = true;
	}
	return delta;
}

} // namespace

void
BImageView::MouseDown(BPoint where)
{
	int32 buttons = 0;
	if (Window() != NULL && Window()->CurrentMessage() != NULL)
		Window()->CurrentMessage()->FindInt32("buttons", &buttons);

	if ((buttons & B_PRIMARY_MOUSE_BUTTON) != 0)
		_PerformAction(fLeftMouseAction, B_PRIMARY_MOUSE_BUTTON, where, buttons);
	if ((buttons & B_SECONDARY_MOUSE_BUTTON) != 0)
		_PerformAction(fRightMouseAction, B_SECONDARY_MOUSE_BUTTON, where, buttons);
}

void
BImageView::_PerformAction(int32 action, uint32 button, BPoint where, uint32 buttons)
{
	BWindow* window = Window();
	switch (action) {
		case kMouseSelect:
			SelectWithMouse(button, where, buttons);
			break;
		case kMouseZoom:
			if (window != NULL)
				window->PostMessage(
					(modifiers() & B_CONTROL_KEY) != 0 ? MSG_ZOOM_OUT : MSG_ZOOM_IN);
			break;
		case kMousePan:
			PanWithMouse(button, where, buttons, false);
			break;
		case kMouseGlide:
			PanWithMouse(button, where, buttons, true);
			break;
		case kMouseNextImage:
			if (window != NULL)
				window->PostMessage(MSG_NEXT_IMAGE);
			break;
		case kMousePreviousImage:
			if (window != NULL)
				window->PostMessage(MSG_PREV_IMAGE);
			break;
	}
}

void
BImageView::SelectWithMouse(uint32 button, BPoint where, uint32 buttons)
{
	float sx, sy, offX, offY;
	GetMapping(sx, sy, offX, offY);
	BRect extent = fBitmap != NULL ? fBitmap->Bounds() : BRect(0, 0, -1, -1);

	BPoint anchor = _ToImage(where, sx, sy, offX, offY);
	fSelection.Set(std::max(anchor.x, 0.0f), std::max(anchor.y, 0.0f), anchor.x, anchor.y);
	Invalidate();

	BPoint point = where;
	while ((buttons & button) != 0) {
		snooze(kTrackingInterval);
		BPoint previous = point;
		GetMouse(&point, &buttons, true);
		if (point == previous)
			continue;

		BPoint corner = _ToImage(point, sx, sy, offX, offY);
		BRect before = fSelection;
		fSelection.right = std::min(corner.x, extent.Width());
		fSelection.bottom = std::min(corner.y, extent.Height());
		// Repaint both the old and the new extent of the selection, so the
		// area a shrinking selection leaves is drawn again, whichever side
		// of its anchor it lies on.
		BRect repaint = normalized(before) | normalized(fSelection);
		fHasSelection = true;
		Invalidate(_ToView(repaint).InsetByCopy(-1, -1));
	}
}

void
BImageView::PanWithMouse(uint32 button, BPoint where, uint32 buttons, bool glide)
{
	BScrollBar* horizontal = ScrollBar(B_HORIZONTAL);
	BScrollBar* vertical = ScrollBar(B_VERTICAL);

	BPoint current = where;
	if (!glide)
		ConvertToScreen(&current);
	while ((buttons & button) != 0) {
		snooze(kTrackingInterval);
		BPoint previous = current;
		GetMouse(&current, &buttons, true);
		if (!glide)
			ConvertToScreen(&current);
		if (current == previous)
			continue;

		bool hitX = false;
		bool hitY = false;
		float dx = clamp_delta(horizontal, current.x - previous.x, hitX);
		float dy = clamp_delta(vertical, current.y - previous.y, hitY);
		ScrollBy(dx, dy);

		BPoint fresh;
		uint32 ignored;
		GetMouse(&fresh, &ignored, true);
		if (!glide) {
			ConvertToScreen(&fresh);
			current = fresh;
		} else {
			// The stored point keeps its view coordinates while the view
			// scrolls under it, so a pointer held still keeps scrolling.
			if (hitX)
				current.x = fresh.x;
			if (hitY)
				current.y = fresh.y;
		}
	}
}

bool
BImageView::GetSelection(BRect& selection)
{
	if (!fHasSelection)
		return false;
	selection = fSelection;
	return true;
}

void
BImageView::ClearSelection()
{
	fHasSelection = false;
	fSelection.Set(0, 0, 0, 0);
	Invalidate();
}

void
BImageView::KeyDown(const char* bytes, int32 numBytes)
{
	for (int32 i = 0; i < numBytes; i++) {
		switch (bytes[i]) {
			case B_LEFT_ARROW:
				ScrollBy(-kArrowStep, 0);
				break;
			case B_RIGHT_ARROW:
				ScrollBy(kArrowStep, 0);
				break;
			case B_UP_ARROW:
				ScrollBy(0, -kArrowStep);
				break;
			case B_DOWN_ARROW:
				ScrollBy(0, kArrowStep);
				break;
			default:
				BView::KeyDown(bytes + i, 1);
				break;
		}
	}
}

void
BImageView::Pulse()
{
	if (Window() != NULL)
		Window()->PostMessage(MSG_NEXT_IMAGE);
}
