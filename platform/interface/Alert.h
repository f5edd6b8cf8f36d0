#ifndef _ALERT_H
#define _ALERT_H

#include <string>

#include <Window.h>

class BInvoker;

// A message with up to three buttons. Go() shows it modally, waits for the
// user and returns the index of the button pressed (-1 when it was closed
// without one), then deletes the alert. Go() works from any thread: off the
// GUI thread the alert runs on the GUI thread while the caller waits. While
// it waits on the GUI thread, the window that called it dispatches none of
// its own queued messages; painting and other windows go on.
class BAlert : public BWindow {
public:
	BAlert(const char* title, const char* text, const char* button0, const char* button1 = NULL,
		const char* button2 = NULL, button_width width = B_WIDTH_AS_USUAL,
		alert_type type = B_INFO_ALERT);
	virtual ~BAlert();

	int32 Go();
	// Shows the alert without waiting; when a button is pressed the invoker
	// is invoked with "which" (the index) added, and the alert deleted.
	status_t Go(BInvoker* invoker);

	char Shortcut(int32 index) const;
	int32 CountButtons() const;
	const char* Text() const { return fText.c_str(); }
	alert_type Type() const { return fType; }

private:
	int32 _Run();

	std::string fText;
	std::string fLabels[3];
	char fShortcuts[3];
	alert_type fType;
};

#endif
