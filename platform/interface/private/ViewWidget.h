#ifndef _VIEW_WIDGET_H
#define _VIEW_WIDGET_H

#include <QWidget>

#include <Rect.h>

class BView;
class BWindow;

namespace BPrivate {

// The widget that mirrors a plain BView on the GUI thread. It knows its
// view and window by token only, so a view that is gone is simply not found:
// painting takes the window's lock (without waiting for another thread that
// holds it: the update is tried again shortly) and input is posted to the
// window's queue, addressed to the view.
class ViewWidget : public QWidget {
public:
	ViewWidget(BView* view, QWidget* parent);

protected:
	void paintEvent(QPaintEvent* event) override;
	void mousePressEvent(QMouseEvent* event) override;
	void mouseDoubleClickEvent(QMouseEvent* event) override;
	void mouseReleaseEvent(QMouseEvent* event) override;
	void mouseMoveEvent(QMouseEvent* event) override;
	void wheelEvent(QWheelEvent* event) override;
	// Drags over the view and drops on it (ViewDrag.cpp).
	void dragEnterEvent(QDragEnterEvent* event) override;
	void dragMoveEvent(QDragMoveEvent* event) override;
	void dragLeaveEvent(QDragLeaveEvent* event) override;
	void dropEvent(QDropEvent* event) override;

private:
	void _PostMouse(uint32 what, QMouseEvent* event);

	BWindow* fWindow;
	int32 fWindowToken;
	int32 fViewToken;
};

// Widget geometry (pixels) of an inclusive rectangle given in coordinates
// whose origin lies at origin: edges rounded to the nearest pixel.
QRect widget_rect(BRect rect, BPoint origin);
// The pixels an update of the rectangle must cover: edges rounded outward.
QRect update_rect(BRect rect, BPoint origin);

// Posts a mouse message for the view to its window, as a mouse event would,
// and records the pointer, buttons and modifiers it carries.
void post_mouse_message(int32 windowToken, int32 viewToken, uint32 what, BPoint screenWhere,
	uint32 buttons, uint32 modifiers, int32 clicks);

} // namespace BPrivate

#endif
