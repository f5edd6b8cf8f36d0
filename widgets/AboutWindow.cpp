#include "widgets/AboutWindow.h"

#include <cstdio>
#include <cstring>

#include <AppFileInfo.h>
#include <Application.h>
#include <Bitmap.h>
#include <Message.h>
#include <Button.h>
#include <File.h>
#include <StringView.h>
#include <TranslationUtils.h>

namespace {

void
add_picture(BView* parent, BRect frame, const char* name, int32 id)
{
	BView* view = new BView(frame, name, 0, 0);
	parent->AddChild(view);
	BBitmap* bitmap = BTranslationUtils::GetBitmap('PICT', id);
	if (bitmap != NULL) {
		view->SetViewBitmap(bitmap, 0, 0);
		delete bitmap;
	}
}

} // namespace

BAboutWindow::BAboutWindow(BRect frame) :
	BWindow(frame, "About", B_FLOATING_WINDOW, B_NOT_RESIZABLE | B_NOT_ZOOMABLE,
		B_CURRENT_WORKSPACE)
{
	char version[64];
	GetVersionText(version, sizeof(version));

	BRect bounds = Bounds();
	BView* about = new BView(bounds, "AboutView", B_FOLLOW_ALL_SIDES, 0);
	about->SetViewColor(216, 216, 216, 0);
	AddChild(about);

	BView* dark = new BView(BRect(0, 0, 50, bounds.bottom), "DarkView", 0, 0);
	dark->SetViewColor(128, 128, 128, 0);
	about->AddChild(dark);
	add_picture(about, BRect(0, 5, 150, 74), "Fenwix Logo", 11);
	add_picture(about, BRect(55, 70, 104, 89), "Glim Word", 13);
	add_picture(about, BRect(90, 120, 122, 150), "Icon View", 12);
	about->AddChild(new BStringView(BRect(55, 90, bounds.right - 5, 109), "Version", version, 0,
		B_WILL_DRAW));
	about->AddChild(new BButton(BRect(bounds.left + 70, bounds.bottom - 40, bounds.right - 20,
									bounds.bottom - 20),
		"Close", "OK", new BMessage(B_QUIT_REQUESTED), 0, B_WILL_DRAW));
}

BAboutWindow::~BAboutWindow()
{
}

void
BAboutWindow::GetVersionText(char* text, size_t size)
{
	snprintf(text, size, "Version 0.9.0.2");
	app_info info;
	if (be_app == NULL || be_app->GetAppInfo(&info) != B_OK)
		return;
	BFile file(&info.ref, B_READ_ONLY);
	BAppFileInfo appInfo;
	version_info version;
	if (file.InitCheck() != B_OK || appInfo.SetTo(&file) != B_OK
		|| appInfo.GetVersionInfo(&version, B_APP_VERSION_KIND) != B_OK)
		return;
	snprintf(text, size, "Version %1ld.%-ld.%-ld.%-ld", (long)version.major,
		(long)version.middle, (long)version.minor, (long)version.internal);
}
