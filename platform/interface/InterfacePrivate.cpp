#include "InterfacePrivate.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <mutex>
#include <vector>

#include <QCoreApplication>
#include <QTimer>

#include <InterfaceDefs.h>
#include <Locker.h>
#include <View.h>
#include <Window.h>

#include "AppPrivate.h"

namespace BPrivate {

namespace {

// How long the GUI thread waits before trying a busy window's lock again.
const int kRetryMilliseconds = 5;


void
attempt_locked(int32 windowToken, int32 handlerToken,
	std::function<void(BLooper*, BHandler*)> function)
{
	std::shared_ptr<BLocker> lock = looper_lock(windowToken);
	if (!lock)
		return;
	if (lock->LockWithTimeout(0) != B_OK) {
		QTimer::singleShot(kRetryMilliseconds, QCoreApplication::instance(),
			[windowToken, handlerToken, function]() {
				attempt_locked(windowToken, handlerToken, function);
			});
		return;
	}
	BLooper* looper = NULL;
	BHandler* handler = NULL;
	if (is_looper_alive(windowToken, lock.get())
		&& resolve_target(windowToken, handlerToken, &looper, &handler) == B_OK) {
		function(looper, handler);
	}
	lock->Unlock();
}


void
run_locked(int32 windowToken, int32 handlerToken,
	std::function<void(BLooper*, BHandler*)> function)
{
	if (is_gui_thread() || QCoreApplication::instance() == NULL) {
		attempt_locked(windowToken, handlerToken, std::move(function));
		return;
	}
	QMetaObject::invokeMethod(
		QCoreApplication::instance(),
		[windowToken, handlerToken, function]() {
			attempt_locked(windowToken, handlerToken, function);
		},
		Qt::QueuedConnection);
}

} // namespace


void
run_for_window(BWindow* window, std::function<void(BWindow*)> function)
{
	if (window == NULL)
		return;
	run_locked(window->_Token(), window->_Token(), [function](BLooper* looper, BHandler*) {
		if (BWindow* target = dynamic_cast<BWindow*>(looper))
			function(target);
	});
}


void
run_for_view(BView* view, std::function<void(BView*)> function)
{
	if (view == NULL || view->Window() == NULL)
		return;
	run_for_view(view->Window()->_Token(), view->_Token(), std::move(function));
}


void
run_for_view(int32 windowToken, int32 viewToken, std::function<void(BView*)> function)
{
	run_locked(windowToken, viewToken, [function](BLooper*, BHandler* handler) {
		if (BView* target = dynamic_cast<BView*>(handler))
			function(target);
	});
}


// #pragma mark - window list


namespace {

std::mutex sWindowLock;
std::vector<BWindow*> sWindows;

} // namespace


void
register_window(BWindow* window)
{
	std::lock_guard<std::mutex> guard(sWindowLock);
	sWindows.push_back(window);
}


void
unregister_window(BWindow* window)
{
	std::lock_guard<std::mutex> guard(sWindowLock);
	sWindows.erase(std::remove(sWindows.begin(), sWindows.end(), window), sWindows.end());
}


int32
count_windows()
{
	std::lock_guard<std::mutex> guard(sWindowLock);
	return (int32)sWindows.size();
}


BWindow*
window_at(int32 index)
{
	std::lock_guard<std::mutex> guard(sWindowLock);
	if (index < 0 || index >= (int32)sWindows.size())
		return NULL;
	return sWindows[index];
}


// #pragma mark - pointer


namespace {

std::mutex sPointerLock;
PointerState sPointer = {BPoint(0, 0), 0};
uint32 sModifiers = 0;
std::deque<PointerState> sScript;

const bigtime_t kDoubleClickTime = 500000;
const float kDoubleClickDistance = 4;
bigtime_t sLastClickTime = 0;
BPoint sLastClickWhere;
uint32 sLastClickButtons = 0;
int32 sClicks = 0;

} // namespace


void
record_pointer(BPoint screenWhere, uint32 buttons)
{
	std::lock_guard<std::mutex> guard(sPointerLock);
	sPointer.where = screenWhere;
	sPointer.buttons = buttons;
}


PointerState
current_pointer()
{
	std::lock_guard<std::mutex> guard(sPointerLock);
	return sPointer;
}


void
record_modifiers(uint32 modifiers)
{
	std::lock_guard<std::mutex> guard(sPointerLock);
	sModifiers = modifiers;
}


bool
next_scripted_pointer(PointerState* state)
{
	std::lock_guard<std::mutex> guard(sPointerLock);
	if (sScript.empty())
		return false;
	*state = sScript.front();
	sScript.pop_front();
	sPointer = *state;
	return true;
}


void
push_scripted_pointer(BPoint screenWhere, uint32 buttons)
{
	std::lock_guard<std::mutex> guard(sPointerLock);
	sScript.push_back(PointerState{screenWhere, buttons});
}


void
clear_scripted_pointer()
{
	std::lock_guard<std::mutex> guard(sPointerLock);
	sScript.clear();
}


int32
count_clicks(BPoint screenWhere, uint32 buttons)
{
	std::lock_guard<std::mutex> guard(sPointerLock);
	bigtime_t now = system_time();
	bool again = sClicks > 0 && buttons == sLastClickButtons
		&& now - sLastClickTime <= kDoubleClickTime
		&& std::fabs(screenWhere.x - sLastClickWhere.x) <= kDoubleClickDistance
		&& std::fabs(screenWhere.y - sLastClickWhere.y) <= kDoubleClickDistance;
	sClicks = again ? sClicks + 1 : 1;
	sLastClickTime = now;
	sLastClickWhere = screenWhere;
	sLastClickButtons = buttons;
	return sClicks;
}


uint32
modifiers_from_qt(int qtModifiers)
{
	uint32 result = 0;
	if ((qtModifiers & Qt::ShiftModifier) != 0)
		result |= B_SHIFT_KEY | B_LEFT_SHIFT_KEY;
	if ((qtModifiers & Qt::ControlModifier) != 0)
		result |= B_COMMAND_KEY | B_CONTROL_KEY | B_LEFT_COMMAND_KEY | B_LEFT_CONTROL_KEY;
	if ((qtModifiers & Qt::AltModifier) != 0)
		result |= B_OPTION_KEY | B_LEFT_OPTION_KEY;
	if ((qtModifiers & Qt::MetaModifier) != 0)
		result |= B_MENU_KEY;
	return result;
}


uint32
buttons_from_qt(int qtButtons)
{
	uint32 result = 0;
	if ((qtButtons & Qt::LeftButton) != 0)
		result |= B_PRIMARY_MOUSE_BUTTON;
	if ((qtButtons & Qt::RightButton) != 0)
		result |= B_SECONDARY_MOUSE_BUTTON;
	if ((qtButtons & Qt::MiddleButton) != 0)
		result |= B_TERTIARY_MOUSE_BUTTON;
	return result;
}

} // namespace BPrivate


uint32
modifiers()
{
	std::lock_guard<std::mutex> guard(BPrivate::sPointerLock);
	return BPrivate::sModifiers;
}
