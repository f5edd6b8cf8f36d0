// The widget side of BView: creating and destroying the mirror widgets,
// keeping them in step with the view's state, and turning their events into
// the platform's messages.
#include "ViewWidget.h"

#include <cmath>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QTimer>
#include <QWheelEvent>

#include <Locker.h>
#include <Message.h>
#include <Messenger.h>
#include <ScrollBar.h>
#include <View.h>
#include <Window.h>

#include "AppPrivate.h"
#include "InterfacePrivate.h"

namespace BPrivate {

namespace {

// The GUI thread waits this long for a window that another thread holds
// before it paints later instead.
const bigtime_t kPaintLockTimeout = 2000;
const int kPaintRetryMilliseconds = 15;


int
round_edge(float value)
{
	return (int)std::floor(value + 0.5f);
}

} // namespace


QRect
widget_rect(BRect rect, BPoint origin)
{
	int left = round_edge(rect.left - origin.x);
	int top = round_edge(rect.top - origin.y);
	int right = round_edge(rect.right - origin.x);
	int bottom = round_edge(rect.bottom - origin.y);
	return QRect(QPoint(left, top), QPoint(right, bottom));
}


QRect
update_rect(BRect rect, BPoint origin)
{
	int left = (int)std::floor(rect.left - origin.x);
	int top = (int)std::floor(rect.top - origin.y);
	int right = (int)std::ceil(rect.right - origin.x);
	int bottom = (int)std::ceil(rect.bottom - origin.y);
	return QRect(QPoint(left, top), QPoint(right, bottom));
}


void
post_mouse_message(int32 windowToken, int32 viewToken, uint32 what, BPoint screenWhere,
	uint32 buttons, uint32 modifiers, int32 clicks)
{
	record_pointer(screenWhere, buttons);
	record_modifiers(modifiers);
	BMessage message(what);
	message.AddInt64("when", system_time());
	message.AddPoint("screen_where", screenWhere);
	message.AddInt32("buttons", (int32)buttons);
	message.AddInt32("modifiers", (int32)modifiers);
	if (what == B_MOUSE_DOWN)
		message.AddInt32("clicks", clicks);
	BMessenger messenger;
	messenger._SetTo(windowToken, viewToken);
	messenger.SendMessage(&message);
}


ViewWidget::ViewWidget(BView* view, QWidget* parent) :
	QWidget(parent),
	fWindow(view->Window()),
	fWindowToken(view->Window()->_Token()),
	fViewToken(view->_Token())
{
	setAttribute(Qt::WA_OpaquePaintEvent);
	setAttribute(Qt::WA_NoSystemBackground);
	setFocusPolicy(Qt::NoFocus);
	setMouseTracking(true);
	setAcceptDrops(true);
}


void
ViewWidget::paintEvent(QPaintEvent* event)
{
	std::shared_ptr<BLocker> lock = looper_lock(fWindowToken);
	if (!lock)
		return;
	if (lock->LockWithTimeout(kPaintLockTimeout) != B_OK) {
		QRegion region = event->region();
		QTimer::singleShot(kPaintRetryMilliseconds, this, [this, region]() { update(region); });
		return;
	}
	BLooper* looper;
	BHandler* handler;
	if (is_looper_alive(fWindowToken, lock.get())
		&& resolve_target(fWindowToken, fViewToken, &looper, &handler) == B_OK) {
		if (BView* view = dynamic_cast<BView*>(handler))
			view->_Paint(this, event->region());
	}
	lock->Unlock();
}


void
ViewWidget::_PostMouse(uint32 what, QMouseEvent* event)
{
	BPoint screen(event->globalPosition().x(), event->globalPosition().y());
	uint32 buttons = buttons_from_qt(event->buttons());
	int32 clicks = 0;
	if (what == B_MOUSE_DOWN)
		clicks = count_clicks(screen, buttons);
	post_mouse_message(fWindowToken, fViewToken, what, screen, buttons,
		modifiers_from_qt(event->modifiers()), clicks);
}


void
ViewWidget::mousePressEvent(QMouseEvent* event)
{
	_PostMouse(B_MOUSE_DOWN, event);
}


void
ViewWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
	_PostMouse(B_MOUSE_DOWN, event);
}


void
ViewWidget::mouseReleaseEvent(QMouseEvent* event)
{
	_PostMouse(B_MOUSE_UP, event);
}


void
ViewWidget::mouseMoveEvent(QMouseEvent* event)
{
	_PostMouse(B_MOUSE_MOVED, event);
}


void
ViewWidget::wheelEvent(QWheelEvent* event)
{
	BMessage message(B_MOUSE_WHEEL_CHANGED);
	message.AddInt64("when", system_time());
	message.AddFloat("be:wheel_delta_x", -event->angleDelta().x() / 120.0f);
	message.AddFloat("be:wheel_delta_y", -event->angleDelta().y() / 120.0f);
	BMessenger messenger;
	messenger._SetTo(fWindowToken, fViewToken);
	messenger.SendMessage(&message);
}

} // namespace BPrivate


// #pragma mark - BView's widget


QWidget*
BView::_CreateWidget(QWidget* parent)
{
	return new BPrivate::ViewWidget(this, parent);
}


void
BView::_WidgetCreated()
{
}


void
BView::_BuildWidgets(QWidget* parent)
{
	if (fOwner == NULL || !fOwner->_HasWidgets())
		return;
	if (!BPrivate::is_gui_thread()) {
		BPrivate::run_for_view(this, [](BView* view) {
			if (view->fWidget == NULL && view->fParent != NULL
				&& view->fParent->fWidget != NULL)
				view->_BuildWidgets(view->fParent->fWidget);
		});
		return;
	}
	if (fWidget != NULL || parent == NULL)
		return;
	fWidget = _CreateWidget(parent);
	_SyncWidgetNow();
	_WidgetCreated();
	for (BView* child : fChildren)
		child->_BuildWidgets(fWidget);
	if (fHidden == 0)
		fWidget->show();
}


void
BView::_ForgetWidgets()
{
	fWidget = NULL;
	for (BView* child : fChildren)
		child->_ForgetWidgets();
}


void
BView::_DestroyWidgets()
{
	QWidget* widget = fWidget;
	if (widget == NULL)
		return;
	_ForgetWidgets();
	if (BPrivate::is_gui_thread())
		delete widget;
	else {
		QMetaObject::invokeMethod(
			widget, [widget]() { delete widget; }, Qt::QueuedConnection);
	}
}


void
BView::_SyncWidget()
{
	if (!_IsOnScreen())
		return;
	if (BPrivate::is_gui_thread())
		_SyncWidgetNow();
	else
		BPrivate::run_for_view(this, [](BView* view) { view->_SyncWidgetNow(); });
}


void
BView::_SyncWidgetNow()
{
	if (fWidget == NULL)
		return;
	BPoint parentOrigin = fParent != NULL ? fParent->fBoundsOrigin : BPoint(0, 0);
	if (!fIsTopView)
		fWidget->setGeometry(BPrivate::widget_rect(fFrame, parentOrigin));
	for (BView* child : fChildren) {
		if (child->fWidget != NULL)
			child->fWidget->setGeometry(BPrivate::widget_rect(child->fFrame, fBoundsOrigin));
	}
	fWidget->setVisible(fHidden == 0);
	_WidgetStateChanged();
}


void
BView::_WidgetStateChanged()
{
}


void
BView::_InvalidateWidget(BRect rect)
{
	if (BPrivate::is_gui_thread()) {
		if (fWidget != NULL)
			fWidget->update(BPrivate::update_rect(rect, fBoundsOrigin));
		return;
	}
	BPrivate::run_for_view(this, [rect](BView* view) {
		if (view->fWidget != NULL)
			view->fWidget->update(BPrivate::update_rect(rect, view->fBoundsOrigin));
	});
}
