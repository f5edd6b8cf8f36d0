#ifndef GLIM_IMAGE_VIEW_H
#define GLIM_IMAGE_VIEW_H

#include <View.h>

class BBitmap;

// Shows one decoded image, scaled by a fit-to-window factor per axis and a
// user zoom (0.01 to 16), centred when smaller than the view, over a dark
// grey background, with an inverted rectangular selection kept in image
// pixel coordinates. Each mouse button performs its chosen action: select,
// zoom, pan, glide, next or previous image. Runs on the window's thread.
//
// Image point (x, y) is shown at view point (x * sx + offX, y * sy + offY),
// where sx = fit factor x zoom and the offsets centre a smaller image.
class BImageView : public BView {
public:
	BImageView(BRect frame);
	virtual ~BImageView();

	virtual bool SetImage(const char* path);
	virtual bool GetSize(float& width, float& height);
	virtual bool GetResizeOptions(bool& fit, bool& keepProportions);
	virtual bool SetResizeOptions(bool fit, bool keepProportions);
	virtual bool GetZoom(float& zoom);
	virtual bool SetZoom(float zoom);
	virtual void ClearSelection();
	// The selection as stored: left/top is where the drag began, so right may
	// be left of left and bottom above top.
	virtual bool GetSelection(BRect& selection);

	virtual void Draw(BRect update);
	virtual void FrameResized(float width, float height);
	virtual void MouseDown(BPoint where);
	virtual void KeyDown(const char* bytes, int32 numBytes);
	virtual void Pulse();

	void UpdateZoomLevel();
	void FixupScrollbars();
	void PrefsUpdate();
	void MouseActionUpdate();
	void SelectWithMouse(uint32 button, BPoint where, uint32 buttons);
	void PanWithMouse(uint32 button, BPoint where, uint32 buttons, bool glide);

	// State, for the window and tests.
	const BBitmap* Bitmap() const { return fBitmap; }
	const BBitmap* ScaledCopy() const { return fScaled; }
	float ScaleX() const { return fScaleX; }
	float ScaleY() const { return fScaleY; }
	int32 RightMouseAction() const { return fRightMouseAction; }
	// The centring offsets and effective scales of the current image.
	void GetMapping(float& sx, float& sy, float& offX, float& offY) const;

private:
	void _PerformAction(int32 action, uint32 button, BPoint where, uint32 buttons);
	BPoint _ToImage(BPoint viewPoint, float sx, float sy, float offX, float offY) const;
	BRect _ToView(BRect imageRect) const;
	void _ComputeFitFactors();
	void _ReadMouseActions();
	bool _UpdateScaled(float sx, float sy);
	void _DropScaled();

	// The one decoded copy of the image, and a copy scaled for the current
	// mapping (fScaledX, fScaledY) while it is shown reduced.
	BBitmap* fBitmap;
	BBitmap* fScaled;
	float fScaledX;
	float fScaledY;
	bool fFitToWindow;
	bool fKeepProportions;
	float fScaleX;
	float fScaleY;
	float fZoom;
	bool fHasSelection;
	BRect fSelection;
	int32 fLeftMouseAction;
	int32 fRightMouseAction;
};

#endif
