#ifndef GLIM_ERROR_ALERT_H
#define GLIM_ERROR_ALERT_H

// Shows a failure to the user through the application's alert ("Viewer",
// one "OK" button) and waits until it is closed. Views and windows call this
// rather than reaching for the application object themselves.
void show_error(const char* text);

#endif
