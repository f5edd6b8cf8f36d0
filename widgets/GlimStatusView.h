#ifndef GLIM_STATUS_VIEW_H
#define GLIM_STATUS_VIEW_H

#include <View.h>

class BStatusBar;
class BStringView;

// The status line along the bottom of the browsing layout: the image and file
// counts of the folder, and a progress bar shown while a folder is read or
// thumbnails are made. The thumbnail worker calls it with the window locked.
class BGlimStatusView : public BView {
public:
	BGlimStatusView(BRect frame);
	virtual ~BGlimStatusView();

	virtual void AttachedToWindow();

	void SetFileCount(int32 images, int32 files);
	void SetMaxValue(float max);
	void UpdateProgressBar(float delta);
	void CompleteProgress();

	// For tests and the window: what the line shows.
	const char* CountText() const;
	bool ProgressShown() const { return fProgressShown; }
	BStatusBar* ProgressBar() const { return fProgressBar; }
	BStringView* CountView() const { return fCountText; }

private:
	void _FitCountText();

	bool fProgressShown;
	BStringView* fCountText;
	BStatusBar* fProgressBar;
};

#endif
