// The widget side of BWindow: the top-level widget, the translation of its
// events into messages, and keeping it in step with the window's state.
#include "WindowWidget.h"

#include <cctype>
#include <cmath>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMoveEvent>
#include <QResizeEvent>

#include <Message.h>
#include <Messenger.h>
#include <View.h>
#include <Window.h>

#include "AppPrivate.h"
#include "InterfacePrivate.h"
#include "ViewWidget.h"
#include "WindowPrivate.h"

namespace BPrivate {

namespace {

Qt::WindowFlags
window_flags(window_type type, uint32 flags)
{
	Qt::WindowFlags result = Qt::Window;
	if (type == B_FLOATING_WINDOW)
		result = Qt::Tool | Qt::WindowStaysOnTopHint;
	else if (type == B_MODAL_WINDOW)
		result = Qt::Dialog;
	else if (type == B_BORDERED_WINDOW)
		result |= Qt::FramelessWindowHint;
	if ((flags & (B_NOT_CLOSABLE | B_NOT_ZOOMABLE | B_NOT_MINIMIZABLE)) != 0) {
		result |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
		if ((flags & B_NOT_CLOSABLE) == 0)
			result |= Qt::WindowCloseButtonHint;
		if ((flags & B_NOT_ZOOMABLE) == 0)
			result |= Qt::WindowMaximizeButtonHint;
		if ((flags & B_NOT_MINIMIZABLE) == 0)
			result |= Qt::WindowMinimizeButtonHint;
	}
	return result;
}


char
special_key_byte(int qtKey)
{
	switch (qtKey) {
		case Qt::Key_Left:
			return B_LEFT_ARROW;
		case Qt::Key_Right:
			return B_RIGHT_ARROW;
		case Qt::Key_Up:
			return B_UP_ARROW;
		case Qt::Key_Down:
			return B_DOWN_ARROW;
		case Qt::Key_Home:
			return B_HOME;
		case Qt::Key_End:
			return B_END;
		case Qt::Key_PageUp:
			return B_PAGE_UP;
		case Qt::Key_PageDown:
			return B_PAGE_DOWN;
		case Qt::Key_Delete:
			return B_DELETE;
		case Qt::Key_Backspace:
			return B_BACKSPACE;
		case Qt::Key_Return:
		case Qt::Key_Enter:
			return B_RETURN;
		case Qt::Key_Escape:
			return B_ESCAPE;
		case Qt::Key_Tab:
		case Qt::Key_Backtab:
			return B_TAB;
		case Qt::Key_Insert:
			return B_INSERT;
		default:
			if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F35)
				return B_FUNCTION_KEY;
			return 0;
	}
}

} // namespace


std::string
key_bytes(int qtKey, int qtModifiers, const QString& text)
{
	if (char special = special_key_byte(qtKey))
		return std::string(1, special);
	if ((qtModifiers & Qt::ControlModifier) != 0 && qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
		char letter = (char)('a' + (qtKey - Qt::Key_A));
		if ((qtModifiers & Qt::ShiftModifier) != 0)
			letter = (char)toupper(letter);
		return std::string(1, letter);
	}
	QByteArray utf8 = text.toUtf8();
	if (!utf8.isEmpty() && (unsigned char)utf8[0] >= 0x20)
		return utf8.toStdString();
	if (qtKey >= 0x20 && qtKey <= 0x7e)
		return std::string(1, (char)tolower(qtKey));
	return std::string();
}


void
post_key_message(int32 windowToken, uint32 what, const std::string& bytes, int32 key,
	uint32 modifiers, bool repeat)
{
	if (bytes.empty())
		return;
	record_modifiers(modifiers);
	BMessage message(what);
	message.AddInt64("when", system_time());
	message.AddString("bytes", bytes.c_str());
	message.AddInt8("byte", (int8)bytes[0]);
	message.AddInt32("key", key);
	message.AddInt32("modifiers", (int32)modifiers);
	unsigned char first = (unsigned char)bytes[0];
	message.AddInt32("raw_char", first < 0x80 ? tolower(first) : first);
	if (repeat)
		message.AddInt32("be:key_repeat", 1);
	BMessenger messenger;
	messenger._SetTo(windowToken, windowToken);
	messenger.SendMessage(&message);
}


WindowWidget::WindowWidget(BWindow* window) :
	QWidget(NULL, window_flags(window->Type(), window->Flags())),
	fWindowToken(window->_Token()),
	fWindowFlags(window->Flags()),
	fPulsePending(false)
{
	setAttribute(Qt::WA_OpaquePaintEvent);
	setFocusPolicy(Qt::StrongFocus);
	if (window->Type() == B_MODAL_WINDOW)
		setWindowModality(Qt::ApplicationModal);
	connect(&fPulseTimer, &QTimer::timeout, this, [this]() {
		if (fPulsePending.exchange(true))
			return;
		BMessage pulse(B_PULSE);
		_Post(&pulse);
	});
}


void
WindowWidget::SetPulseRate(bigtime_t rate)
{
	if (rate <= 0) {
		fPulseTimer.stop();
		return;
	}
	fPulseTimer.start(std::max(1, (int)(rate / 1000)));
}


void
WindowWidget::Activate()
{
	raise();
	activateWindow();
}


void
WindowWidget::_Post(BMessage* message)
{
	BMessenger messenger;
	messenger._SetTo(fWindowToken, fWindowToken);
	messenger.SendMessage(message);
}


bool
WindowWidget::event(QEvent* event)
{
	// Tab goes to the views like any other key, not to the toolkit's focus
	// chain.
	if (event->type() == QEvent::KeyPress) {
		QKeyEvent* key = static_cast<QKeyEvent*>(event);
		if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
			keyPressEvent(key);
			return true;
		}
	}
	return QWidget::event(event);
}


void
WindowWidget::closeEvent(QCloseEvent* event)
{
	event->ignore();
	if ((fWindowFlags & B_NOT_CLOSABLE) != 0)
		return;
	BMessage quit(B_QUIT_REQUESTED);
	_Post(&quit);
}


void
WindowWidget::resizeEvent(QResizeEvent* event)
{
	for (QObject* child : children()) {
		if (ViewWidget* content = dynamic_cast<ViewWidget*>(child))
			content->setGeometry(QRect(QPoint(0, 0), event->size()));
	}
	if (event->size() == fExpected.size())
		return;
	fExpected.setSize(event->size());
	BMessage resized(B_WINDOW_RESIZED);
	resized.AddFloat("width", event->size().width() - 1);
	resized.AddFloat("height", event->size().height() - 1);
	_Post(&resized);
}


void
WindowWidget::moveEvent(QMoveEvent*)
{
	QPoint where = geometry().topLeft();
	if (where == fExpected.topLeft())
		return;
	if ((fWindowFlags & B_NOT_MOVABLE) != 0) {
		move(fExpected.topLeft() - (geometry().topLeft() - pos()));
		return;
	}
	fExpected.moveTopLeft(where);
	BMessage moved(B_WINDOW_MOVED);
	moved.AddPoint("where", BPoint(where.x(), where.y()));
	_Post(&moved);
}


void
WindowWidget::changeEvent(QEvent* event)
{
	QWidget::changeEvent(event);
	if (event->type() != QEvent::ActivationChange)
		return;
	BMessage activated(B_WINDOW_ACTIVATED);
	activated.AddBool("active", isActiveWindow());
	_Post(&activated);
}


void
WindowWidget::_PostKey(uint32 what, QKeyEvent* event)
{
	post_key_message(fWindowToken, what,
		key_bytes(event->key(), event->modifiers(), event->text()),
		(int32)event->nativeScanCode(), modifiers_from_qt(event->modifiers()),
		event->isAutoRepeat());
}


void
WindowWidget::keyPressEvent(QKeyEvent* event)
{
	_PostKey(B_KEY_DOWN, event);
}


void
WindowWidget::keyReleaseEvent(QKeyEvent* event)
{
	if (!event->isAutoRepeat())
		_PostKey(B_KEY_UP, event);
}

QWidget*
WindowAccess::Widget(BWindow* window)
{
	return window->fWidget;
}


QWidget*
WindowAccess::MakeWidget(BWindow* window)
{
	if (!window->_HasWidgets())
		window->_CreateWidgets();
	return window->fWidget;
}


QWidget*
window_widget(BWindow* window)
{
	if (window == NULL || !is_gui_thread())
		return NULL;
	return WindowAccess::MakeWidget(window);
}

} // namespace BPrivate


// #pragma mark - BWindow's widget


void
BWindow::_CreateWidgets()
{
	if (fWidget != NULL)
		return;
	fWidget = new BPrivate::WindowWidget(this);
	fTopView->fWidget = fTopView->_CreateWidget(fWidget);
	fTopView->fWidget->setGeometry(0, 0, (int)fFrame.Width() + 1, (int)fFrame.Height() + 1);
	for (int32 i = 0; i < fTopView->CountChildren(); i++)
		fTopView->ChildAt(i)->_BuildWidgets(fTopView->fWidget);
	fTopView->fWidget->show();
	_SyncPulse();
}


void
BWindow::_DestroyWidgets()
{
	if (fWidget == NULL)
		return;
	fTopView->_ForgetWidgets();
	QWidget* widget = fWidget;
	fWidget = NULL;
	if (BPrivate::is_gui_thread())
		delete widget;
	else
		QMetaObject::invokeMethod(
			widget, [widget]() { delete widget; }, Qt::QueuedConnection);
}


void
BWindow::_SyncWindowWidget()
{
	if (BPrivate::is_gui_thread())
		_SyncWindowWidgetNow();
	else
		BPrivate::run_for_window(this, [](BWindow* window) { window->_SyncWindowWidgetNow(); });
}


void
BWindow::_SyncWindowWidgetNow()
{
	if (fWidget == NULL)
		return;
	fWidget->setWindowTitle(QString::fromUtf8(fTitle.c_str()));
	QRect geometry = BPrivate::widget_rect(fFrame, BPoint(0, 0));
	fWidget->SetExpectedGeometry(geometry);
	if ((fFlags & B_NOT_RESIZABLE) != 0)
		fWidget->setFixedSize(geometry.size());
	fWidget->setGeometry(geometry);
	fTopView->fWidget->setGeometry(QRect(QPoint(0, 0), geometry.size()));
	fTopView->_SyncWidgetNow();
	bool visible = fShowLevel <= 0;
	if (visible && fWidget->isHidden()) {
		fWidget->show();
		fWidget->activateWindow();
	} else if (!visible && !fWidget->isHidden())
		fWidget->hide();
	if (visible && fMinimized != fWidget->isMinimized())
		fWidget->setWindowState(fMinimized ? Qt::WindowMinimized : Qt::WindowNoState);
}


void
BWindow::_SyncPulse()
{
	if (fWidget != NULL)
		fWidget->SetPulseRate(fPulseRate);
}
