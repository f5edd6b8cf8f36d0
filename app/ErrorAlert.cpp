#include "app/ErrorAlert.h"

#include <Alert.h>

#include "app/ViewerApp.h"

void
show_error(const char* text)
{
	if (BViewerApp* app = viewer_app()) {
		app->ViewError(text);
		return;
	}
	// Without the application object (a view used on its own) the same alert
	// is shown directly.
	BAlert* alert = new BAlert("Viewer", text, "OK", NULL, NULL, B_WIDTH_AS_USUAL,
		B_INFO_ALERT);
	alert->Go();
}
