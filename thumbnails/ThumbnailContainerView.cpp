#include "thumbnails/ThumbnailContainerView.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include <Bitmap.h>
#include <File.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <ScrollBar.h>
#include <Window.h>

#include "app/Commands.h"
#include "settings/ImageServices.h"
#include "settings/PrefsHandler.h"
#include "settings/SettingsKeys.h"
#include "mainwindow/ViewerWin.h"
#include "thumbnails/ThumbnailReader.h"

namespace {

const rgb_color kGridBackground = {216, 216, 216, 255};
const bigtime_t kDoubleClickTime = 499999;
const bigtime_t kTrackingInterval = 20000;
const float kDragDistance = 2;

float
view_string_width(const char* text, void* context)
{
	return ((BView*)context)->StringWidth(text);
}

// The byte length of the first count characters of a UTF-8 string; bytes
// that are not valid UTF-8 count as one character each.
size_t
utf8_prefix(const std::string& text, size_t count)
{
	size_t bytes = 0;
	for (size_t i = 0; i < count && bytes < text.size(); i++) {
		bytes++;
		while (bytes < text.size() && ((unsigned char)text[bytes] & 0xc0) == 0x80)
			bytes++;
	}
	return bytes;
}

size_t
utf8_length(const std::string& text)
{
	size_t count = 0;
	for (unsigned char c : text)
		if ((c & 0xc0) != 0x80)
			count++;
	return count;
}

} // namespace

BThumbnailContainerView::BThumbnailContainerView(BViewerWin* window, BRect frame) :
	BView(frame, "thumbcontainer", B_FOLLOW_ALL_SIDES,
		B_FULL_UPDATE_ON_RESIZE | B_WILL_DRAW | B_FRAME_EVENTS),
	fLastClickTime(0),
	fWindow(window),
	fBackground(NULL),
	fSelected(-1),
	fLastClickIndex(-1),
	fThumbWidth(glim::kDefaultThumbSize),
	fThumbHeight(glim::kDefaultThumbSize),
	fFrameWidth(glim::kDefaultFrameSize),
	fFrameHeight(glim::kDefaultFrameSize),
	fDrawBorder(true),
	fDrawShadow(true),
	fCache(1)
{
	SetViewColor(B_TRANSPARENT_COLOR);
	_ReadSettings();
}

BThumbnailContainerView::~BThumbnailContainerView()
{
	delete fBackground;
}

void
BThumbnailContainerView::_ReadSettings()
{
	BPrefsHandler* prefs = viewer_prefs();
	if (prefs == NULL)
		return;
	prefs->GetFloat(glim::kKeyThumbWidth, fThumbWidth);
	prefs->GetFloat(glim::kKeyThumbHeight, fThumbHeight);
	prefs->GetFloat(glim::kKeyFrameWidth, fFrameWidth);
	prefs->GetFloat(glim::kKeyFrameHeight, fFrameHeight);
	int32 value = fDrawBorder ? 1 : 0;
	if (prefs->GetInteger(glim::kKeyDrawBorder, value))
		fDrawBorder = value != 0;
	value = fDrawShadow ? 1 : 0;
	if (prefs->GetInteger(glim::kKeyDrawShadow, value))
		fDrawShadow = value != 0;

	int32 colorAsBackground = glim::kDefaultColorAsBackground;
	prefs->GetInteger(glim::kKeyColorAsBackground, colorAsBackground);
	if (colorAsBackground != 0) {
		delete fBackground;
		fBackground = NULL;
		return;
	}
	char* path = NULL;
	if (prefs->GetString(glim::kKeyBackgroundImage, &path)) {
		SetBackgroundImage(path);
		delete[] path;
	}
}

void
BThumbnailContainerView::PrefsUpdate()
{
	// Thumbnails made for another size are made again; until then the
	// stored ones are read afresh.
	fCache.Clear();
	_ReadSettings();
	FixupScrollbars();
	Invalidate();
}

void
BThumbnailContainerView::SetBackgroundImage(const char* path)
{
	delete fBackground;
	fBackground = NULL;
	if (path == NULL)
		return;
	BFile file(path, B_READ_ONLY);
	if (file.InitCheck() != B_OK)
		return;
	fBackground = glim::decode_image(&file);
}

void
BThumbnailContainerView::FolderChanged()
{
	fSelected = -1;
	fLastClickTime = 0;
	fCache.Clear();
}

void
BThumbnailContainerView::Update()
{
	FixupScrollbars();
	Invalidate();
}

void
BThumbnailContainerView::AttachedToWindow()
{
}

void
BThumbnailContainerView::FrameResized(float, float)
{
	FixupScrollbars();
}

int32
BThumbnailContainerView::_CountItems() const
{
	return fWindow != NULL ? fWindow->CountImages() : 0;
}

int32
BThumbnailContainerView::CountColumns() const
{
	int32 columns = (int32)(Bounds().Width() / fFrameWidth);
	return std::max(columns, (int32)1);
}

void
BThumbnailContainerView::FixupScrollbars()
{
	BRect bounds = Bounds();
	float width = bounds.Width();
	float height = bounds.Height();
	int32 count = _CountItems();
	int32 columns = CountColumns();
	int32 rows = (count + columns - 1) / columns;
	float dataHeight = fFrameHeight * rows;

	if (BScrollBar* bar = ScrollBar(B_HORIZONTAL)) {
		bar->SetProportion(1);
		bar->SetRange(0, 0);
		bar->SetSteps(width / 8, width / 2);
	}
	if (BScrollBar* bar = ScrollBar(B_VERTICAL)) {
		bar->SetProportion(dataHeight > 0 ? height / dataHeight : 1);
		bar->SetRange(0, std::max(0.0f, dataHeight - height));
		bar->SetSteps(height / 8, height / 2);
	}
}

void
BThumbnailContainerView::InvalidateItem(int32 index)
{
	if (index < 0)
		return;
	int32 columns = CountColumns();
	float left = std::trunc(fFrameWidth * (index % columns));
	float top = std::trunc(fFrameHeight * (index / columns));
	Invalidate(BRect(left, top, left + fFrameWidth, top + fFrameHeight));
}

void
BThumbnailContainerView::ThumbnailChanged(const char* path)
{
	fCache.Forget(path);
}

int32
BThumbnailContainerView::IndexAt(BPoint where) const
{
	int32 count = _CountItems();
	int32 columns = CountColumns();
	float cellWidth = std::max(std::trunc(fFrameWidth), 1.0f);
	float cellHeight = std::max(std::trunc(fFrameHeight), 1.0f);
	if (where.x < 0 || where.y < 0)
		return -1;
	int32 row = (int32)(where.y / cellHeight);
	int32 column = (int32)(where.x / cellWidth);
	if (column >= columns)
		return -1;
	int64 index = (int64)row * columns + column;
	return index < count ? (int32)index : -1;
}

std::string
BThumbnailContainerView::TruncateName(const char* name, float width,
	float (*measure)(const char* text, void* context), void* context)
{
	std::string text(name != NULL ? name : "");
	if (measure(text.c_str(), context) < width)
		return text;
	size_t characters = utf8_length(text);
	for (size_t keep = characters; keep-- > 0;) {
		std::string shortened = text.substr(0, utf8_prefix(text, keep)) + "...";
		if (measure(shortened.c_str(), context) < width || keep == 0)
			return shortened;
	}
	return "...";
}

void
BThumbnailContainerView::Draw(BRect update)
{
	BView::Draw(update);
	BRect b = Bounds();
	BRect area(0, 0, b.Width(), b.Height());
	BBitmap offscreen(area, B_RGB32, true);
	if (offscreen.InitCheck() != B_OK)
		return;
	BView* view = new BView(area, "ViewerDrawView", 0, 0);
	offscreen.AddChild(view);
	offscreen.Lock();

	view->SetHighColor(kGridBackground);
	view->FillRect(area, B_SOLID_HIGH);
	if (fBackground != NULL) {
		// Tiles step by their inclusive extent, so neighbours overlap by a
		// pixel; a one-pixel tile still steps by one.
		float tw = std::max(fBackground->Bounds().Width(), 1.0f);
		float th = std::max(fBackground->Bounds().Height(), 1.0f);
		float firstY = std::max(0.0f, std::floor(b.top / th) * th - th);
		for (float y = firstY; y < b.bottom; y += th) {
			if (y + th <= b.top)
				continue;
			for (float x = 0; x < area.Width(); x += tw)
				view->DrawBitmap(fBackground, BPoint(x, y - b.top));
		}
	}

	font_height fontHeight;
	view->GetFontHeight(&fontHeight);
	float textHeight = fontHeight.ascent + fontHeight.descent + fontHeight.leading;

	int32 count = _CountItems();
	int32 columns = std::max((int32)(b.Width() / std::max(std::trunc(fFrameWidth), 1.0f)),
		(int32)1);
	// The cache keeps what the visible area shows: every row it touches,
	// partly shown ones at both edges included.
	int32 visibleRows = (int32)std::ceil(b.Height() / std::max(fFrameHeight, 1.0f)) + 2;
	fCache.SetCapacity(columns * visibleRows);
	// Only the rows that meet the update band can be drawn.
	int32 firstRow = std::max((int32)std::floor(update.top / fFrameHeight) - 1, (int32)0);
	for (int32 index = firstRow * columns; index < count; index++) {
		float cy = fFrameHeight * (index / columns);
		if (cy >= update.bottom)
			break;
		if (cy + fFrameHeight > update.top)
			_DrawCell(view, index, b, textHeight);
	}

	view->Sync();
	offscreen.Unlock();
	DrawBitmap(&offscreen, update.OffsetByCopy(-b.left, -b.top), update);
}

void
BThumbnailContainerView::_DrawCell(BView* view, int32 index, BRect b, float textHeight)
{
	char* path = NULL;
	if (fWindow == NULL || !fWindow->GetNextFile(index, &path))
		return;
	int32 columns = std::max((int32)(b.Width() / std::max(std::trunc(fFrameWidth), 1.0f)),
		(int32)1);
	float cx = fFrameWidth * (index % columns);
	float cy = fFrameHeight * (index / columns);
	BRect picture(cx - b.left, cy - b.top, cx + fFrameWidth - b.left,
		cy + fFrameHeight - b.top - (textHeight + 2));

	const BBitmap* thumb = fCache.Get(path);
	if (thumb != NULL) {
		BRect bounds = thumb->Bounds();
		float dx = (fFrameWidth - bounds.Width()) / 2;
		float dy = ((picture.bottom - picture.top) - bounds.Height()) / 2;
		BRect target(picture.left + dx, picture.top + dy, picture.right - dx,
			picture.bottom - dy);
		view->SetDrawingMode(B_OP_BLEND);
		if (index == fSelected) {
			view->SetHighColor(255, 255, 128, 128);
			view->FillRoundRect(target.InsetByCopy(-4, -4), 3, 3, B_SOLID_HIGH);
			view->SetHighColor(255, 255, 0, 128);
			view->FillRoundRect(target.InsetByCopy(-2, -2), 2, 2, B_SOLID_HIGH);
		} else {
			BRect frame = target.InsetByCopy(-1, -1);
			if (fDrawBorder) {
				view->SetHighColor(32, 32, 32, 128);
				view->FillRect(frame, B_SOLID_HIGH);
			}
			frame.OffsetBy(3, 3);
			if (fDrawShadow) {
				view->SetHighColor(64, 64, 64, 16);
				view->FillRoundRect(frame, 3, 3, B_SOLID_HIGH);
			}
		}
		view->SetDrawingMode(B_OP_COPY);
		view->DrawBitmap(thumb, bounds, target);
	}

	const char* slash = strrchr(path, '/');
	std::string name = TruncateName(slash != NULL ? slash + 1 : path, fFrameWidth - 8,
		view_string_width, this);
	view->SetHighColor(0, 0, 0, 255);
	view->DrawString(name.c_str(), BPoint(cx - b.left + 4, cy + fFrameHeight - b.top - 4));

	BRect frame(cx - b.left, cy - b.top, cx + fFrameWidth - b.left - 1,
		cy + fFrameHeight - b.top - 1);
	view->SetHighColor(255, 255, 255, 255);
	view->StrokeRect(frame, B_SOLID_HIGH);
	view->SetHighColor(128, 128, 128, 255);
	view->StrokeLine(frame.RightTop(), frame.RightBottom(), B_SOLID_HIGH);
	view->StrokeLine(frame.RightBottom(), frame.LeftBottom(), B_SOLID_HIGH);
}

void
BThumbnailContainerView::MouseDown(BPoint where)
{
	bigtime_t now = real_time_clock_usecs();
	int32 buttons = 0;
	if (Window() != NULL && Window()->CurrentMessage() != NULL)
		Window()->CurrentMessage()->FindInt32("buttons", &buttons);
	int32 index = IndexAt(where);

	if ((buttons & B_PRIMARY_MOUSE_BUTTON) != 0) {
		BPoint start = ConvertToScreen(where);
		uint32 held = buttons;
		while ((held & B_PRIMARY_MOUSE_BUTTON) != 0) {
			snooze(kTrackingInterval);
			BPoint point;
			GetMouse(&point, &held, true);
			ConvertToScreen(&point);
			if (std::fabs(point.x - start.x) > kDragDistance
				|| std::fabs(point.y - start.y) > kDragDistance) {
				DragObject(index);
				return;
			}
		}
		if (now - fLastClickTime <= kDoubleClickTime && index == fLastClickIndex) {
			BMessage open(MSG_THUMBNAIL_OPEN);
			open.AddInt32("index", index);
			fWindow->PostMessage(&open);
		}
		fLastClickIndex = index;
		fLastClickTime = real_time_clock_usecs();
	}

	if (index != fSelected) {
		InvalidateItem(fSelected);
		fSelected = index;
		InvalidateItem(index);
	}

	if ((buttons & B_SECONDARY_MOUSE_BUTTON) != 0) {
		BMessage menu(MSG_THUMBNAIL_MENU);
		menu.AddInt32("index", index);
		fWindow->PostMessage(&menu);
	}
}

void
BThumbnailContainerView::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case B_MOVE_TARGET:
		case B_COPY_TARGET:
			CopyFile(message);
			break;
		case B_TRASH_TARGET:
			RemoveFile(message);
			break;
	}
	BView::MessageReceived(message);
}

bool
BThumbnailContainerView::GetBitmap(const char* path, BBitmap** bitmap, bool& fromCache)
{
	if (path == NULL || bitmap == NULL)
		return false;
	BBitmap* decoded = glim::read_thumbnail_bitmap(path);
	if (decoded == NULL)
		return false;
	*bitmap = decoded;
	fromCache = true;
	return true;
}
