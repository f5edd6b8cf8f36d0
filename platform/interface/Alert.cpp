#include "Alert.h"

#include <condition_variable>
#include <mutex>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <Invoker.h>
#include <Message.h>

#include "AppPrivate.h"
#include "TestHooks.h"

namespace {

std::mutex sResponderLock;
BPrivate::AlertResponder sResponder;


BPrivate::AlertResponder
responder()
{
	std::lock_guard<std::mutex> guard(sResponderLock);
	return sResponder;
}


QMessageBox::Icon
alert_icon(alert_type type)
{
	switch (type) {
		case B_INFO_ALERT:
		case B_IDEA_ALERT:
			return QMessageBox::Information;
		case B_WARNING_ALERT:
			return QMessageBox::Warning;
		case B_STOP_ALERT:
			return QMessageBox::Critical;
		default:
			return QMessageBox::NoIcon;
	}
}


// The toolkit's message box for the alert; the last button is the default,
// as on the platform. Runs on the GUI thread.
QMessageBox*
make_box(const std::string& title, const std::string& text,
	const std::vector<std::string>& labels, alert_type type,
	std::vector<QAbstractButton*>& _buttons)
{
	QMessageBox* box = new QMessageBox(alert_icon(type), QString::fromUtf8(title.c_str()),
		QString::fromUtf8(text.c_str()));
	for (const std::string& label : labels) {
		QPushButton* button = box->addButton(QString::fromUtf8(label.c_str()),
			QMessageBox::ActionRole);
		_buttons.push_back(button);
	}
	if (!_buttons.empty())
		box->setDefaultButton(static_cast<QPushButton*>(_buttons.back()));
	if (_buttons.size() == 1)
		box->setEscapeButton(_buttons.front());
	return box;
}


int32
index_of(const std::vector<QAbstractButton*>& buttons, QAbstractButton* button)
{
	for (size_t i = 0; i < buttons.size(); i++) {
		if (buttons[i] == button)
			return (int32)i;
	}
	return -1;
}


int32
run_box(const std::string& title, const std::string& text,
	const std::vector<std::string>& labels, alert_type type)
{
	std::vector<QAbstractButton*> buttons;
	std::unique_ptr<QMessageBox> box(make_box(title, text, labels, type, buttons));
	box->exec();
	return index_of(buttons, box->clickedButton());
}

} // namespace


void
BPrivate::set_alert_responder(AlertResponder function)
{
	std::lock_guard<std::mutex> guard(sResponderLock);
	sResponder = std::move(function);
}


BAlert::BAlert(const char* title, const char* text, const char* button0, const char* button1,
	const char* button2, button_width, alert_type type) :
	BWindow(BRect(100, 100, 400, 200), title, B_MODAL_WINDOW,
		B_NOT_RESIZABLE | B_NOT_CLOSABLE | B_NOT_ZOOMABLE),
	fText(text != NULL ? text : ""),
	fShortcuts{0, 0, 0},
	fType(type)
{
	const char* labels[3] = {button0, button1, button2};
	for (int i = 0; i < 3 && labels[i] != NULL; i++)
		fLabels[i] = labels[i];
}


BAlert::~BAlert()
{
}


int32
BAlert::CountButtons() const
{
	int32 count = 0;
	while (count < 3 && !fLabels[count].empty())
		count++;
	return count;
}


char
BAlert::Shortcut(int32 index) const
{
	return index >= 0 && index < 3 ? fShortcuts[index] : 0;
}


int32
BAlert::Go()
{
	int32 result = _Run();
	Quit();
	return result;
}


int32
BAlert::_Run()
{
	std::vector<std::string> labels(fLabels, fLabels + CountButtons());
	std::string title = Title();
	if (BPrivate::AlertResponder answer = responder())
		return answer(title, fText, labels);
	BPrivate::attach_gui_thread();
	if (BPrivate::is_gui_thread())
		return run_box(title, fText, labels, fType);

	std::mutex mutex;
	std::condition_variable answered;
	bool done = false;
	int32 result = -1;
	std::string text = fText;
	alert_type type = fType;
	QMetaObject::invokeMethod(
		QCoreApplication::instance(),
		[&]() {
			int32 index = run_box(title, text, labels, type);
			std::lock_guard<std::mutex> guard(mutex);
			result = index;
			done = true;
			answered.notify_all();
		},
		Qt::QueuedConnection);
	std::unique_lock<std::mutex> lock(mutex);
	answered.wait(lock, [&]() { return done; });
	return result;
}


status_t
BAlert::Go(BInvoker* invoker)
{
	if (invoker == NULL) {
		Go();
		return B_OK;
	}
	std::vector<std::string> labels(fLabels, fLabels + CountButtons());
	std::string title = Title();
	std::string text = fText;
	alert_type type = fType;
	Quit();
	auto deliver = [invoker](int32 index) {
		if (invoker->Message() != NULL) {
			BMessage copy(*invoker->Message());
			copy.AddInt32("which", index);
			invoker->Invoke(&copy);
		}
		delete invoker;
	};
	if (BPrivate::AlertResponder answer = responder()) {
		deliver(answer(title, text, labels));
		return B_OK;
	}
	BPrivate::attach_gui_thread();
	QMetaObject::invokeMethod(
		QCoreApplication::instance(),
		[=]() {
			auto buttons = std::make_shared<std::vector<QAbstractButton*>>();
			QMessageBox* box = make_box(title, text, labels, type, *buttons);
			box->setAttribute(Qt::WA_DeleteOnClose);
			QObject::connect(box, &QMessageBox::buttonClicked,
				[buttons, deliver](
					QAbstractButton* button) { deliver(index_of(*buttons, button)); });
			box->open();
		},
		Qt::QueuedConnection);
	return B_OK;
}
