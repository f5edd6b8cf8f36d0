#ifndef GLIM_ABOUT_WINDOW_H
#define GLIM_ABOUT_WINDOW_H

#include <Window.h>

// A small fixed floating window with the program's pictures and its version,
// read from the version record of the application's own file.
class BAboutWindow : public BWindow {
public:
	BAboutWindow(BRect frame);
	virtual ~BAboutWindow();

	// "Version 0.9.0.2" unless the application's file has a version record.
	static void GetVersionText(char* text, size_t size);
};

#endif
