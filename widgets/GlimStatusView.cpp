#include "widgets/GlimStatusView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <StatusBar.h>
#include <StringView.h>

namespace {

const float kCountWidth = 100;
const float kSmallestCountFont = 7;

} // namespace

BGlimStatusView::BGlimStatusView(BRect frame) :
	BView(frame, "GlimStatusBar", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM, B_WILL_DRAW),
	fProgressShown(false)
{
	SetViewColor(216, 216, 216, 255);

	fCountText = new BStringView(BRect(0, 0, kCountWidth, frame.bottom - frame.top),
		"GlimStatus", "", B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
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
	_FitCountText();
}

// The counts keep their place before the progress bar: the text takes a
// smaller font until it fits the line's height and the view's width, and the
// view widens only for counts too long even then.
void
BGlimStatusView::_FitCountText()
{
	const char* text = fCountText->Text();
	float height = fCountText->Bounds().Height() + 1;
	float size = be_plain_font->Size();
	for (;; size -= 1) {
		fCountText->SetFontSize(size);
		font_height metrics;
		fCountText->GetFontHeight(&metrics);
		bool fits = fCountText->StringWidth(text) <= kCountWidth
			&& metrics.ascent + metrics.descent <= height;
		if (fits || size <= kSmallestCountFont)
			break;
	}
	float width = std::max(kCountWidth, std::ceil(fCountText->StringWidth(text)));
	if (width != fCountText->Bounds().Width())
		fCountText->ResizeTo(width, fCountText->Bounds().Height());
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
