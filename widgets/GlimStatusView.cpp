#include "widgets/GlimStatusView.h"

#include <cstdio>

#include <StatusBar.h>
#include <StringView.h>

BGlimStatusView::BGlimStatusView(BRect frame)
	:
	BView(frame, "GlimStatusBar", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM, B_WILL_DRAW),
	fProgressShown(false)
{
	SetViewColor(216, 216, 216, 255);

	fCountText = new BStringView(BRect(0, 0, 100, frame.bottom - frame.top), "GlimStatus", "",
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
	AddChild(fCountText);

	fProgressBar = new BStatusBar(BRect(200, 0, 500, 30), "GlimStatusBarEx", NULL, NULL);
	AddChild(fProgressBar);
	fProgressBar->Hide();
}

BGlimStatusView::~BGlimStatusView()
{
}

void
BGlimStatusView::AttachedToWindow()
{
	BView::AttachedToWindow();
	fProgressBar->MoveTo(100, -12);
	fProgressBar->ResizeTo(250, 30);
	fProgressBar->SetBarHeight(Bounds().Height() - 4);
}

void
BGlimStatusView::SetFileCount(int32 images, int32 files)
{
	char text[64];
	snprintf(text, sizeof(text), "%-ld images / %-ld files", (long)images, (long)files);
	fCountText->SetText(text);
}

void
BGlimStatusView::SetMaxValue(float max)
{
	fProgressBar->Reset(NULL, NULL);
	fProgressBar->SetMaxValue(max);
	if (fProgressBar->IsHidden())
		fProgressBar->Show();
	fProgressShown = true;
}

void
BGlimStatusView::UpdateProgressBar(float delta)
{
	fProgressBar->Update(delta, NULL, NULL);
}

void
BGlimStatusView::CompleteProgress()
{
	if (fProgressShown)
		fProgressBar->Hide();
	fProgressShown = false;
}

const char*
BGlimStatusView::CountText() const
{
	return fCountText->Text();
}
