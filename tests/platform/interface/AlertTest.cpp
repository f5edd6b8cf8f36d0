// Alerts answered through the test hook with an invoker, and by the user
// for a worker thread; and buttons invoking.
#include <thread>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>

#include <Alert.h>
#include <Button.h>
#include <Invoker.h>

#include "InterfacePrivate.h"
#include "InterfaceTestSupport.h"

using namespace glim_test;

TEST(AlertTest, GoWithAnInvokerSendsWhich)
{
	BPrivate::set_alert_responder([](const std::string&, const std::string&,
									  const std::vector<std::string>&) { return 1; });
	Receiver* receiver = new Receiver;
	receiver->Show();
	BAlert* alert = new BAlert("Question", "Continue?", "No", "Yes");
	EXPECT_EQ(alert->Go(new BInvoker(new BMessage('answ'), receiver)), B_OK);
	ASSERT_TRUE(receiver->WaitFor(1));
	EXPECT_EQ(receiver->Fields("which"), (FieldList{{'answ', 1}}));
	CloseWindow(receiver);
}


TEST(AlertTest, ButtonInvokesItsWindowByDefault)
{
	Receiver* receiver = new Receiver;
	BButton* button = new BButton(BRect(10, 10, 60, 30), "button", "OK", new BMessage('okay'));
	ShowWith(receiver, {button});
	PressAndRelease(button, BPoint(5, 5));
	ASSERT_TRUE(receiver->WaitFor(1));
	EXPECT_EQ(receiver->At(0).what, (uint32)'okay');
	void* source = NULL;
	receiver->At(0).FindPointer("source", &source);
	EXPECT_EQ(source, button);

	// Released outside the button: nothing is sent.
	PressAndRelease(button, BPoint(5, 5), 1, BPoint(200, 0));
	Settle(150000);
	EXPECT_EQ(receiver->count, 1);
	BPrivate::clear_pointer_script();
	CloseWindow(receiver);
}


TEST(RealAlertTest, WorkerWaitsForTheUsersAnswerOnTheGuiThread)
{
	// The real alert, whatever responder an earlier test left.
	BPrivate::set_alert_responder(BPrivate::AlertResponder());
	std::atomic<int32> result{-2};
	BWindow* window = new BWindow(BRect(0, 0, 9, 9), "alive", B_TITLED_WINDOW, 0);
	window->Show();
	std::thread worker([&]() {
		BAlert* alert = new BAlert("Viewer", "Real", "First", "Second");
		result = alert->Go();
	});
	// The alert runs in a nested event loop on this thread: answer it from
	// a timer, as a user would click.
	QString text;
	QTimer clicker;
	QObject::connect(&clicker, &QTimer::timeout, [&]() {
		if (QMessageBox* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
			text = box->text();
			for (QAbstractButton* button : box->buttons()) {
				if (button->text() == "Second")
					button->click();
			}
		}
	});
	clicker.start(20);
	EXPECT_TRUE(BPrivate::run_events_until([&]() { return result != -2; }));
	clicker.stop();
	EXPECT_EQ(text, "Real");
	worker.join();
	EXPECT_EQ(result, 1);
	CloseWindow(window);
}
