#include "GuiThread.h"

#include <condition_variable>
#include <mutex>

#include <QApplication>
#include <QThread>

namespace BPrivate {

void
ensure_gui()
{
	if (QCoreApplication::instance() != nullptr)
		return;
	static int argc = 1;
	static char name[] = "glim";
	static char* argv[] = {name, nullptr};
	new QApplication(argc, argv);
}


bool
gui_thread_is_current()
{
	QCoreApplication* app = QCoreApplication::instance();
	return app == nullptr || QThread::currentThread() == app->thread();
}


void
post_to_gui_thread(std::function<void()> function)
{
	if (gui_thread_is_current()) {
		function();
		return;
	}
	QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(function),
		Qt::QueuedConnection);
}


void
call_on_gui_thread(const std::function<void()>& function)
{
	if (gui_thread_is_current()) {
		function();
		return;
	}
	std::mutex mutex;
	std::condition_variable done;
	bool finished = false;
	QMetaObject::invokeMethod(QCoreApplication::instance(), [&]() {
		function();
		std::lock_guard<std::mutex> lock(mutex);
		finished = true;
		done.notify_all();
	}, Qt::QueuedConnection);
	std::unique_lock<std::mutex> lock(mutex);
	done.wait(lock, [&]() { return finished; });
}

} // namespace BPrivate
