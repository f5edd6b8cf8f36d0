#include "ControlDrawing.h"

#include <cmath>

#include <InterfaceDefs.h>
#include <OS.h>
#include <View.h>

namespace BPrivate {

namespace {

// How often a tracking loop looks at the pointer.
const bigtime_t kTrackInterval = 20000;

} // namespace


float
centered_baseline(BView* view, BRect frame)
{
	font_height height;
	view->GetFontHeight(&height);
	return frame.top
		+ std::floor(
			(frame.Height() + 1 - (height.ascent + height.descent)) / 2 + height.ascent);
}


void
draw_text(BView* view, const char* text, BPoint where, bool enabled)
{
	if (text == NULL || text[0] == '\0')
		return;
	view->SetHighColor(enabled ? make_color(0, 0, 0) : kDisabledTextColor);
	view->SetDrawingMode(B_OP_OVER);
	view->DrawString(text, where);
	view->SetDrawingMode(B_OP_COPY);
}


bool
track_press(BView* view, BPoint where, const std::function<void(bool inside)>& showPressed)
{
	bool inside = view->Bounds().Contains(where);
	showPressed(inside);
	uint32 buttons = B_PRIMARY_MOUSE_BUTTON;
	BPoint point = where;
	while (buttons != 0) {
		snooze(kTrackInterval);
		view->GetMouse(&point, &buttons, true);
		bool nowInside = view->Bounds().Contains(point);
		if (nowInside != inside) {
			inside = nowInside;
			showPressed(inside);
		}
	}
	inside = view->Bounds().Contains(point);
	showPressed(false);
	return inside;
}


bool
is_press_key(const char* bytes, int32 numBytes)
{
	return numBytes == 1 && (bytes[0] == B_SPACE || bytes[0] == B_RETURN);
}

} // namespace BPrivate
