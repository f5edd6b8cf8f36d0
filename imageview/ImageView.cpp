#include "imageview/ImageView.h"

#include <algorithm>
#include <cmath>

#include <Bitmap.h>
#include <File.h>
#include <ScrollBar.h>
#include <Window.h>

#include "app/Commands.h"
#include "app/ErrorAlert.h"
#include "settings/ImageServices.h"
#include "settings/PrefsHandler.h"
#include "settings/SettingsKeys.h"

namespace {

const float kMinZoom = 0.01f;
const float kMaxZoom = 16.0f;
const rgb_color kBackground = {64, 64, 64, 255};
// The largest scaled copy kept, in views' worth of pixels.
const double kScaledCopyViews = 4;

BRect
normalized(BRect rect)
{
	return BRect(std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
		std::max(rect.left, rect.right), std::max(rect.top, rect.bottom));
}

} // namespace

BImageView::BImageView(BRect frame) :
	BView(frame, "imgview", B_FOLLOW_ALL_SIDES,
		B_FULL_UPDATE_ON_RESIZE | B_WILL_DRAW | B_PULSE_NEEDED | B_FRAME_EVENTS | B_NAVIGABLE),
	fBitmap(NULL),
	fScaled(NULL),
	fScaledX(0),
	fScaledY(0),
	fFitToWindow(false),
	fKeepProportions(false),
	fScaleX(1.0f),
	fScaleY(1.0f),
	fZoom(1.0f),
	fHasSelection(false),
	fSelection(0, 0, 0, 0),
	fLeftMouseAction(kMouseSelect),
	fRightMouseAction(kMousePan)
{
	SetViewColor(B_TRANSPARENT_COLOR);
	if (BPrefsHandler* prefs = viewer_prefs()) {
		int32 fit = 0;
		if (prefs->GetInteger(glim::kKeyFitToWindow, fit))
			fFitToWindow = fKeepProportions = fit != 0;
		_ReadMouseActions();
	}
}

BImageView::~BImageView()
{
	delete fScaled;
	delete fBitmap;
}

bool
BImageView::SetImage(const char* path)
{
	if (path == NULL)
		return false;
	_DropScaled();
	delete fBitmap;
	fBitmap = NULL;

	BFile file(path, B_READ_ONLY);
	if (file.InitCheck() != B_OK) {
		show_error("File doesn't exist");
		return false;
	}
	status_t status = glim::decode_image(&file, &fBitmap);
	if (status != B_OK) {
		// A translator that read the file but gave no bitmap is told apart.
		show_error(
			status == B_NO_INIT ? "Failed to detach bitmap" : "Failed to translate file");
		return false;
	}

	BRect bounds = fBitmap->Bounds();
	fSelection.left = std::max(fSelection.left, 0.0f);
	fSelection.top = std::max(fSelection.top, 0.0f);
	fSelection.right = std::min(fSelection.right, bounds.Width());
	fSelection.bottom = std::min(fSelection.bottom, bounds.Height());

	UpdateZoomLevel();
	FixupScrollbars();
	Invalidate();
	return true;
}

bool
BImageView::GetSize(float& width, float& height)
{
	if (fBitmap == NULL)
		return false;
	BRect bounds = fBitmap->Bounds();
	width = bounds.Width() * fScaleX * fZoom;
	height = bounds.Height() * fZoom * fScaleY;
	return true;
}

bool
BImageView::GetResizeOptions(bool& fit, bool& keepProportions)
{
	fit = fFitToWindow;
	keepProportions = fKeepProportions;
	return true;
}

bool
BImageView::SetResizeOptions(bool fit, bool keepProportions)
{
	fFitToWindow = fit;
	if (!fit) {
		fKeepProportions = false;
		SetFlags(Flags() & ~B_FULL_UPDATE_ON_RESIZE);
	} else {
		fKeepProportions = keepProportions;
		SetFlags(Flags() | B_FULL_UPDATE_ON_RESIZE);
		UpdateZoomLevel();
	}
	return true;
}

bool
BImageView::GetZoom(float& zoom)
{
	zoom = fZoom;
	return true;
}

bool
BImageView::SetZoom(float zoom)
{
	if (!(zoom >= kMinZoom && zoom <= kMaxZoom))
		return false;
	fZoom = zoom;
	FixupScrollbars();
	Invalidate();
	return true;
}

void
BImageView::GetMapping(float& sx, float& sy, float& offX, float& offY) const
{
	sx = fScaleX * fZoom;
	sy = fZoom * fScaleY;
	offX = offY = 0;
	if (fBitmap == NULL)
		return;
	BRect bounds = Bounds();
	BRect image = fBitmap->Bounds();
	float width = image.Width() * sx;
	float height = image.Height() * sy;
	if (width < bounds.Width())
		offX = (bounds.Width() - width) * 0.5f;
	if (height < bounds.Height())
		offY = (bounds.Height() - height) * 0.5f;
}

BPoint
BImageView::_ToImage(BPoint point, float sx, float sy, float offX, float offY) const
{
	return BPoint((point.x - offX) / sx, (point.y - offY) / sy);
}

BRect
BImageView::_ToView(BRect rect) const
{
	float sx, sy, offX, offY;
	GetMapping(sx, sy, offX, offY);
	return BRect(rect.left * sx + offX, rect.top * sy + offY, rect.right * sx + offX,
		rect.bottom * sy + offY);
}

void
BImageView::Draw(BRect update)
{
	BView::Draw(update);
	float sx, sy, offX, offY;
	GetMapping(sx, sy, offX, offY);

	BRect target = update;
	target.OffsetTo(0, 0);
	BBitmap offscreen(target, B_RGB32, true);
	BView* drawView = new BView(target, "ViewerDrawView", 0, 0);
	offscreen.AddChild(drawView);
	offscreen.Lock();
	drawView->SetHighColor(kBackground);
	drawView->FillRect(target, B_SOLID_HIGH);
	if (_UpdateScaled(sx, sy)) {
		// The scaled copy is drawn one to one: its pixel (x, y) is shown at
		// view point (x + offX, y + offY).
		BRect source = update.OffsetByCopy(-offX, -offY);
		BRect clipped = source & fScaled->Bounds();
		if (clipped.IsValid()) {
			drawView->DrawBitmap(fScaled, clipped,
				clipped.OffsetByCopy(offX - update.left, offY - update.top));
		}
	} else if (fBitmap != NULL) {
		BRect source((update.left - offX) / sx, (update.top - offY) / sy,
			(update.right - offX) / sx, (update.bottom - offY) / sy);
		// Only the part of the source that lies in the image is drawn, at the
		// place it maps to; the rest keeps the background.
		BRect image = fBitmap->Bounds();
		BRect clipped = source & image;
		if (clipped.IsValid()) {
			float kx = (target.Width() + 1) / (source.Width() + 1);
			float ky = (target.Height() + 1) / (source.Height() + 1);
			BRect destination(target.left + (clipped.left - source.left) * kx,
				target.top + (clipped.top - source.top) * ky,
				target.right - (source.right - clipped.right) * kx,
				target.bottom - (source.bottom - clipped.bottom) * ky);
			drawView->DrawBitmap(fBitmap, clipped, destination);
		}
	}
	drawView->Sync();
	offscreen.Unlock();

	DrawBitmap(&offscreen, target, update);

	if (fHasSelection) {
		drawing_mode mode = DrawingMode();
		SetDrawingMode(B_OP_INVERT);
		SetHighColor(128, 128, 128, 128);
		// Stored as dragged; shown as the rectangle the user sees.
		FillRect(normalized(_ToView(fSelection)), B_SOLID_HIGH);
		SetDrawingMode(mode);
	}
}

// Keeps fScaled, the image scaled by sx, sy once, while the image is shown
// reduced and that copy is no larger than a few views: then every frame
// copies from it instead of scaling the whole image again. Where the
// image's detail shows, or only a part of it is visible, the image itself is
// drawn, just the part in view. True when fScaled is to be drawn.
bool
BImageView::_UpdateScaled(float sx, float sy)
{
	if (fBitmap == NULL || (sx >= 1 && sy >= 1)) {
		_DropScaled();
		return false;
	}
	BRect image = fBitmap->Bounds();
	BRect bounds = Bounds();
	double width = std::ceil((image.Width() + 1) * sx);
	double height = std::ceil((image.Height() + 1) * sy);
	double viewArea = ((double)bounds.Width() + 1) * ((double)bounds.Height() + 1);
	if (width * height > kScaledCopyViews * viewArea) {
		_DropScaled();
		return false;
	}
	if (fScaled != NULL && fScaledX == sx && fScaledY == sy)
		return true;
	_DropScaled();
	fScaled = glim::draw_over_black(fBitmap, image, BRect(0, 0, width - 1, height - 1));
	fScaledX = sx;
	fScaledY = sy;
	return fScaled != NULL;
}

void
BImageView::_DropScaled()
{
	delete fScaled;
	fScaled = NULL;
}

void
BImageView::FrameResized(float, float)
{
	UpdateZoomLevel();
	FixupScrollbars();
}

void
BImageView::_ComputeFitFactors()
{
	BRect bounds = Bounds();
	BRect image = fBitmap->Bounds();
	float vw = std::max(bounds.Width(), 1.0f);
	float vh = std::max(bounds.Height(), 1.0f);
	// An image one pixel wide or high has an extent of 0; it is fitted as if
	// it were one unit, so the factors stay finite.
	float bw = std::max(image.Width(), 1.0f);
	float bh = std::max(image.Height(), 1.0f);
	if (!fKeepProportions) {
		fScaleX = vw / bw;
		fScaleY = vh / bh;
	} else {
		fScaleX = fScaleY = std::min(vw / bw, vh / bh);
	}
}

void
BImageView::UpdateZoomLevel()
{
	if (fBitmap == NULL || !fFitToWindow)
		return;
	_ComputeFitFactors();
}

void
BImageView::FixupScrollbars()
{
	BRect bounds = Bounds();
	float vw = bounds.Width();
	float vh = bounds.Height();
	float width = 1.0f;
	float height = 1.0f;
	GetSize(width, height);

	struct Axis {
		orientation which;
		float visible;
		float size;
	} axes[] = {{B_HORIZONTAL, vw, width}, {B_VERTICAL, vh, height}};
	for (const Axis& axis : axes) {
		BScrollBar* bar = ScrollBar(axis.which);
		if (bar == NULL)
			continue;
		bar->SetProportion(axis.size > 0 ? axis.visible / axis.size : 1.0f);
		bar->SetRange(0, std::max(axis.size - axis.visible, 0.0f));
		bar->SetSteps(axis.visible * 0.125f, axis.visible * 0.5f);
	}
}

void
BImageView::PrefsUpdate()
{
	BPrefsHandler* prefs = viewer_prefs();
	int32 fit = 0;
	if (prefs == NULL || !prefs->GetInteger(glim::kKeyFitToWindow, fit))
		return;
	fScaleX = fScaleY = 1.0f;
	fFitToWindow = fKeepProportions = fit != 0;
	UpdateZoomLevel();
	FixupScrollbars();
	Invalidate();
}

void
BImageView::_ReadMouseActions()
{
	BPrefsHandler* prefs = viewer_prefs();
	if (prefs == NULL)
		return;
	int32 left = 0;
	if (prefs->GetInteger(glim::kKeyLeftMouseFunc, left) && glim::valid_mouse_action(left))
		fLeftMouseAction = left;
	int32 right = 0;
	if (prefs->GetInteger(glim::kKeyRightMouseFunc, right) && glim::valid_mouse_action(right))
		fRightMouseAction = right;
}

void
BImageView::MouseActionUpdate()
{
	_ReadMouseActions();
}
