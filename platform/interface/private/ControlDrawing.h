#ifndef _CONTROL_DRAWING_H
#define _CONTROL_DRAWING_H

#include <functional>

#include <GraphicsDefs.h>
#include <Rect.h>

class BView;

// Private to the layer: what the controls share in drawing and tracking.
namespace BPrivate {

const rgb_color kControlFrameColor = {120, 120, 120, 255};
const rgb_color kControlFillColor = {250, 250, 250, 255};
const rgb_color kControlPressedColor = {200, 200, 200, 255};
const rgb_color kControlMarkColor = {30, 30, 30, 255};
const rgb_color kDisabledTextColor = {140, 140, 140, 255};
const rgb_color kFocusColor = {60, 100, 200, 255};

// The baseline that centres one line of the view's font vertically in frame.
float centered_baseline(BView* view, BRect frame);

// Draws text over the background (B_OP_OVER), black or greyed.
void draw_text(BView* view, const char* text, BPoint where, bool enabled);

// Follows the pointer until every button is released, calling
// showPressed(inside) as it enters and leaves the view's bounds; returns
// whether it was released inside.
bool track_press(BView* view, BPoint where,
	const std::function<void(bool inside)>& showPressed);

// Space and return press a focused control.
bool is_press_key(const char* bytes, int32 numBytes);

} // namespace BPrivate

#endif
