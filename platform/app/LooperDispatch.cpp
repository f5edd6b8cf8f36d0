// The GUI thread's side of message delivery: one QObject on that thread
// receives a wake-up event whenever loopers have messages, and dispatches
// them looper by looper.
#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>

#include <QApplication>
#include <QEvent>
#include <QThread>
#include <QTimer>

#include <Looper.h>

#include "AppPrivate.h"

namespace {

std::atomic<thread_id> sGuiThread{B_NO_INIT};

QEvent::Type
dispatch_event_type()
{
	static const QEvent::Type type = (QEvent::Type)QEvent::registerEventType();
	return type;
}

void dispatch_ready();

class Dispatcher : public QObject {
public:
	bool event(QEvent* event) override
	{
		if (event->type() != dispatch_event_type())
			return QObject::event(event);
		dispatch_ready();
		return true;
	}
};

// Loopers waiting for the GUI thread, by token, in the order they asked.
// The tokens travel under this mutex, not inside Qt's events, so the
// hand-over between threads is visible to thread checkers.
struct ReadyList {
	std::mutex lock;
	std::deque<int32> tokens;
	bool wakePosted = false;
	Dispatcher* dispatcher = NULL;
};

ReadyList&
ready_list()
{
	static ReadyList* list = new ReadyList;
	return *list;
}

void
record_gui_thread()
{
	if (sGuiThread.load() < 0 && BPrivate::is_gui_thread())
		sGuiThread = find_thread(NULL);
}

// One token at a time, so that a nested event loop started by a handler
// picks up the loopers still waiting; and only the tokens there at the
// start, so that loopers flooded with messages cannot keep the GUI thread
// from Qt's own events (later tokens come with a wake-up of their own).
void
dispatch_ready()
{
	record_gui_thread();
	ReadyList& list = ready_list();
	size_t waiting;
	{
		std::lock_guard<std::mutex> guard(list.lock);
		list.wakePosted = false;
		waiting = list.tokens.size();
	}
	for (; waiting > 0; waiting--) {
		int32 token;
		{
			std::lock_guard<std::mutex> guard(list.lock);
			if (list.tokens.empty())
				return;
			token = list.tokens.front();
			list.tokens.pop_front();
		}
		if (BLooper* looper = BPrivate::looper_for_token(token))
			looper->_DispatchPending();
	}
}

} // namespace

namespace BPrivate {

void
ensure_qt_application(int& argc, char** argv)
{
	if (QCoreApplication::instance() == NULL)
		new QApplication(argc, argv);
	record_gui_thread();
}

thread_id
gui_thread()
{
	record_gui_thread();
	return sGuiThread.load();
}

bool
is_gui_thread()
{
	QCoreApplication* application = QCoreApplication::instance();
	return application != NULL && QThread::currentThread() == application->thread();
}

thread_id
attach_gui_thread()
{
	if (QCoreApplication::instance() == NULL) {
		static int argc = 1;
		static char name[] = "glim";
		static char* argv[] = {name, NULL};
		ensure_qt_application(argc, argv);
	}
	return gui_thread();
}

void
schedule_looper(int32 looperToken)
{
	ReadyList& list = ready_list();
	std::lock_guard<std::mutex> guard(list.lock);
	list.tokens.push_back(looperToken);
	if (list.wakePosted)
		return;
	QCoreApplication* application = QCoreApplication::instance();
	if (application == NULL)
		return;
	if (list.dispatcher == NULL) {
		list.dispatcher = new Dispatcher;
		list.dispatcher->moveToThread(application->thread());
	}
	list.wakePosted = true;
	QCoreApplication::postEvent(list.dispatcher, new QEvent(dispatch_event_type()));
}

bool
process_events_until(const std::function<bool()>& done, bigtime_t timeout)
{
	auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(timeout);
	if (!is_gui_thread()) {
		while (!done() && std::chrono::steady_clock::now() < deadline)
			QThread::usleep(1000);
		return done();
	}
	// The timer bounds each wait for events, so done() is checked often
	// even when nothing arrives.
	QTimer ticker;
	ticker.start(2);
	while (!done()) {
		if (std::chrono::steady_clock::now() >= deadline)
			return done();
		QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
	}
	return true;
}

} // namespace BPrivate
