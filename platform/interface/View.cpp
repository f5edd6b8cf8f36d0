// The view tree and its geometry: frames, scroll offsets, resizing modes,
// coordinate conversion and focus. Drawing is in ViewDrawing.cpp, the widget
// mirror and input in ViewWidget.cpp.
#include "View.h"

#include <algorithm>
#include <cstring>

#include <QImage>

#include <Bitmap.h>
#include <Message.h>
#include <ScrollBar.h>
#include <Window.h>

#include "BitmapViews.h"
#include "InterfacePrivate.h"

BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags) :
	BHandler(name),
	fFrame(frame),
	fBoundsOrigin(0, 0),
	fResizingMode(resizingMode),
	fFlags(flags),
	fHidden(0),
	fIsTopView(false),
	fOwner(NULL),
	fOwnerBitmap(NULL),
	fParent(NULL),
	fHorizontalBar(NULL),
	fVerticalBar(NULL),
	fViewColor(make_color(255, 255, 255)),
	fHighColor(make_color(0, 0, 0)),
	fLowColor(make_color(255, 255, 255)),
	fDrawingMode(B_OP_COPY),
	fPenSize(1.0f),
	fPenLocation(0, 0),
	fFont(be_plain_font),
	fViewBitmapOptions(0),
	fWidget(NULL),
	fPainter(NULL)
{
}


BView::~BView()
{
	if (fParent != NULL)
		fParent->RemoveChild(this);
	if (fHorizontalBar != NULL)
		fHorizontalBar->_TargetGone(this);
	if (fVerticalBar != NULL)
		fVerticalBar->_TargetGone(this);
	while (!fChildren.empty()) {
		BView* child = fChildren.back();
		RemoveChild(child);
		delete child;
	}
}


// #pragma mark - hooks


void
BView::AttachedToWindow()
{
}

void
BView::AllAttached()
{
}

void
BView::DetachedFromWindow()
{
}

void
BView::AllDetached()
{
}

void
BView::Draw(BRect)
{
}

void
BView::MouseDown(BPoint)
{
}

void
BView::MouseUp(BPoint)
{
}

void
BView::MouseMoved(BPoint, uint32, const BMessage*)
{
}

void
BView::KeyUp(const char*, int32)
{
}

void
BView::Pulse()
{
}

void
BView::FrameMoved(BPoint)
{
}

void
BView::FrameResized(float, float)
{
}

void
BView::WindowActivated(bool)
{
}

void
BView::TargetedByScrollView(BScrollView*)
{
}


void
BView::KeyDown(const char* bytes, int32 numBytes)
{
	BView* parent = Parent();
	if (parent != NULL)
		parent->KeyDown(bytes, numBytes);
	else if (fOwner != NULL)
		fOwner->_UnhandledKeyDown(bytes, numBytes);
}


void
BView::MessageReceived(BMessage* message)
{
	if (message->what == B_MOUSE_WHEEL_CHANGED
		&& (fHorizontalBar != NULL || fVerticalBar != NULL)) {
		_ScrollByWheel(message);
		return;
	}
	BHandler::MessageReceived(message);
}


// A wheel notch scrolls three small steps of the bar on its axis.
void
BView::_ScrollByWheel(BMessage* message)
{
	float deltaX = message->GetFloat("be:wheel_delta_x", 0);
	float deltaY = message->GetFloat("be:wheel_delta_y", 0);
	BScrollBar* bars[2] = {fHorizontalBar, fVerticalBar};
	float deltas[2] = {deltaX, deltaY};
	if (fVerticalBar == NULL && deltaX == 0)
		deltas[0] = deltaY;
	for (int i = 0; i < 2; i++) {
		if (bars[i] == NULL || deltas[i] == 0)
			continue;
		float smallStep;
		bars[i]->GetSteps(&smallStep, NULL);
		bars[i]->SetValue(bars[i]->Value() + deltas[i] * 3 * std::max(smallStep, 1.0f));
	}
}


// #pragma mark - hierarchy


BWindow*
BView::Window() const
{
	return fOwner;
}


BView*
BView::Parent() const
{
	if (fParent != NULL && fParent->fIsTopView)
		return NULL;
	return fParent;
}


void
BView::AddChild(BView* child, BView* before)
{
	if (child == NULL || child->fParent != NULL)
		return;
	auto position = std::find(fChildren.begin(), fChildren.end(), before);
	fChildren.insert(position, child);
	child->fParent = this;
	if (fOwner != NULL || fOwnerBitmap != NULL) {
		child->_Attach(fOwner, fOwnerBitmap);
		if (fOwner != NULL)
			child->_BuildWidgets(fWidget);
		child->_CallAttached();
		child->_CallAllAttached();
	}
}


bool
BView::RemoveChild(BView* child)
{
	if (child == NULL || child->fParent != this)
		return false;
	if (child->fOwner != NULL || child->fOwnerBitmap != NULL) {
		child->_CallDetached();
		child->_DestroyWidgets();
		child->_Detach();
	}
	fChildren.erase(std::find(fChildren.begin(), fChildren.end(), child));
	child->fParent = NULL;
	if (fOwner != NULL && !IsHidden())
		Invalidate(child->Frame());
	return true;
}


bool
BView::RemoveSelf()
{
	if (fParent != NULL)
		return fParent->RemoveChild(this);
	return false;
}


BView*
BView::ChildAt(int32 index) const
{
	if (index < 0 || index >= CountChildren())
		return NULL;
	return fChildren[index];
}


BView*
BView::NextSibling() const
{
	if (fParent == NULL)
		return NULL;
	auto position = std::find(fParent->fChildren.begin(), fParent->fChildren.end(), this);
	if (position == fParent->fChildren.end() || position + 1 == fParent->fChildren.end())
		return NULL;
	return *(position + 1);
}


BView*
BView::PreviousSibling() const
{
	if (fParent == NULL)
		return NULL;
	auto position = std::find(fParent->fChildren.begin(), fParent->fChildren.end(), this);
	if (position == fParent->fChildren.begin() || position == fParent->fChildren.end())
		return NULL;
	return *(position - 1);
}


BView*
BView::FindView(const char* name) const
{
	if (name == NULL)
		return NULL;
	for (BView* child : fChildren) {
		if (child->Name() != NULL && strcmp(child->Name(), name) == 0)
			return child;
		if (BView* found = child->FindView(name))
			return found;
	}
	return NULL;
}


void
BView::_Attach(BWindow* window, BBitmap* bitmap)
{
	fOwner = window;
	fOwnerBitmap = bitmap;
	if (window != NULL)
		window->_ViewAttached(this);
	for (BView* child : fChildren)
		child->_Attach(window, bitmap);
}


void
BView::_Detach()
{
	for (BView* child : fChildren)
		child->_Detach();
	if (fOwner != NULL)
		fOwner->_ViewDetached(this);
	fOwner = NULL;
	fOwnerBitmap = NULL;
}


// AttachedToWindow runs parent first, AllAttached children first, as on the
// platform.
void
BView::_CallAttached()
{
	AttachedToWindow();
	for (size_t i = 0; i < fChildren.size(); i++)
		fChildren[i]->_CallAttached();
}


void
BView::_CallAllAttached()
{
	for (size_t i = 0; i < fChildren.size(); i++)
		fChildren[i]->_CallAllAttached();
	AllAttached();
}


void
BView::_CallDetached()
{
	for (size_t i = 0; i < fChildren.size(); i++)
		fChildren[i]->_CallDetached();
	DetachedFromWindow();
	AllDetached();
}


bool
BView::_IsOnScreen() const
{
	return fOwner != NULL && fOwner->_HasWidgets();
}


// #pragma mark - geometry


BRect
BView::Bounds() const
{
	return BRect(fBoundsOrigin.x, fBoundsOrigin.y, fBoundsOrigin.x + fFrame.Width(),
		fBoundsOrigin.y + fFrame.Height());
}


void
BView::MoveBy(float dx, float dy)
{
	if (dx == 0 && dy == 0)
		return;
	BRect oldFrame = fFrame;
	fFrame.OffsetBy(dx, dy);
	if (fParent != NULL && fOwner != NULL)
		fParent->Invalidate(oldFrame);
	_SyncWidget();
	if ((fFlags & B_FRAME_EVENTS) != 0)
		FrameMoved(fFrame.LeftTop());
}


void
BView::MoveTo(BPoint where)
{
	MoveBy(where.x - fFrame.left, where.y - fFrame.top);
}


void
BView::MoveTo(float x, float y)
{
	MoveTo(BPoint(x, y));
}


void
BView::ResizeBy(float dx, float dy)
{
	_ApplyResize(dx, dy);
}


void
BView::ResizeTo(float width, float height)
{
	ResizeBy(width - fFrame.Width(), height - fFrame.Height());
}


void
BView::GetPreferredSize(float* _width, float* _height)
{
	if (_width != NULL)
		*_width = fFrame.Width();
	if (_height != NULL)
		*_height = fFrame.Height();
}


void
BView::_ApplyResize(float dx, float dy)
{
	if (dx == 0 && dy == 0)
		return;
	BRect oldFrame = fFrame;
	fFrame.right += dx;
	fFrame.bottom += dy;
	for (size_t i = 0; i < fChildren.size(); i++)
		fChildren[i]->_ParentResized(dx, dy);
	if (fParent != NULL && fOwner != NULL)
		fParent->Invalidate(oldFrame | fFrame);
	_SyncWidget();
	Invalidate();
	if ((fFlags & B_FRAME_EVENTS) != 0)
		FrameResized(fFrame.Width(), fFrame.Height());
}


namespace {

// How far an edge moves when the parent grows by delta, by the rule of its
// nibble: edges that follow the far side move along, centred ones half way.
float
edge_delta(uint32 rule, float delta, bool vertical)
{
	uint32 farSide = vertical ? _VIEW_BOTTOM_ : _VIEW_RIGHT_;
	if (rule == farSide)
		return delta;
	if (rule == _VIEW_CENTER_)
		return delta / 2;
	return 0;
}

} // namespace


void
BView::_ParentResized(float dx, float dy)
{
	uint32 mode = fResizingMode;
	float top = edge_delta((mode >> 12) & 0xf, dy, true);
	float left = edge_delta((mode >> 8) & 0xf, dx, false);
	float bottom = edge_delta((mode >> 4) & 0xf, dy, true);
	float right = edge_delta(mode & 0xf, dx, false);
	if (left != 0 || top != 0)
		MoveBy(left, top);
	if (right - left != 0 || bottom - top != 0)
		_ApplyResize(right - left, bottom - top);
}


void
BView::ScrollBy(float dx, float dy)
{
	ScrollTo(BPoint(fBoundsOrigin.x + dx, fBoundsOrigin.y + dy));
}


void
BView::ScrollTo(BPoint where)
{
	if (where == fBoundsOrigin)
		return;
	fBoundsOrigin = where;
	if (fHorizontalBar != NULL)
		fHorizontalBar->_TargetScrolled(where.x);
	if (fVerticalBar != NULL)
		fVerticalBar->_TargetScrolled(where.y);
	_SyncWidget();
	Invalidate();
}


BScrollBar*
BView::ScrollBar(orientation direction) const
{
	return direction == B_HORIZONTAL ? fHorizontalBar : fVerticalBar;
}


// #pragma mark - conversion


void
BView::ConvertToParent(BPoint* point) const
{
	point->x += fFrame.left - fBoundsOrigin.x;
	point->y += fFrame.top - fBoundsOrigin.y;
}


void
BView::ConvertFromParent(BPoint* point) const
{
	point->x -= fFrame.left - fBoundsOrigin.x;
	point->y -= fFrame.top - fBoundsOrigin.y;
}


void
BView::ConvertToScreen(BPoint* point) const
{
	for (const BView* view = this; view != NULL; view = view->fParent)
		view->ConvertToParent(point);
	if (fOwner != NULL) {
		BRect frame = fOwner->Frame();
		point->x += frame.left;
		point->y += frame.top;
	}
}


void
BView::ConvertFromScreen(BPoint* point) const
{
	BPoint origin(0, 0);
	ConvertToScreen(&origin);
	point->x -= origin.x;
	point->y -= origin.y;
}


BPoint
BView::ConvertToParent(BPoint p) const
{
	ConvertToParent(&p);
	return p;
}

BPoint
BView::ConvertFromParent(BPoint p) const
{
	ConvertFromParent(&p);
	return p;
}

BPoint
BView::ConvertToScreen(BPoint p) const
{
	ConvertToScreen(&p);
	return p;
}

BPoint
BView::ConvertFromScreen(BPoint p) const
{
	ConvertFromScreen(&p);
	return p;
}


namespace {

template<typename Convert>
void
convert_rect(BRect* rect, Convert convert)
{
	BPoint leftTop = rect->LeftTop();
	BPoint rightBottom = rect->RightBottom();
	convert(&leftTop);
	convert(&rightBottom);
	*rect = BRect(leftTop, rightBottom);
}

} // namespace


void
BView::ConvertToParent(BRect* rect) const
{
	convert_rect(rect, [this](BPoint* p) { ConvertToParent(p); });
}


void
BView::ConvertFromParent(BRect* rect) const
{
	convert_rect(rect, [this](BPoint* p) { ConvertFromParent(p); });
}


void
BView::ConvertToScreen(BRect* rect) const
{
	convert_rect(rect, [this](BPoint* p) { ConvertToScreen(p); });
}


void
BView::ConvertFromScreen(BRect* rect) const
{
	convert_rect(rect, [this](BPoint* p) { ConvertFromScreen(p); });
}


BRect
BView::ConvertToParent(BRect r) const
{
	ConvertToParent(&r);
	return r;
}

BRect
BView::ConvertFromParent(BRect r) const
{
	ConvertFromParent(&r);
	return r;
}

BRect
BView::ConvertToScreen(BRect r) const
{
	ConvertToScreen(&r);
	return r;
}

BRect
BView::ConvertFromScreen(BRect r) const
{
	ConvertFromScreen(&r);
	return r;
}


// #pragma mark - state


void
BView::SetFlags(uint32 flags)
{
	fFlags = flags;
	_SyncWidget();
}


void
BView::SetResizingMode(uint32 mode)
{
	fResizingMode = mode;
}


void
BView::Show()
{
	if (fHidden <= 0)
		return;
	fHidden--;
	if (fHidden == 0)
		_SyncWidget();
}


void
BView::Hide()
{
	fHidden++;
	if (fHidden == 1) {
		if (IsFocus())
			MakeFocus(false);
		_SyncWidget();
	}
}


bool
BView::IsHidden(const BView* lookingFrom) const
{
	for (const BView* view = this; view != NULL && view != lookingFrom; view = view->fParent) {
		if (view->fHidden > 0)
			return true;
	}
	return false;
}


bool
BView::IsHidden() const
{
	if (IsHidden(NULL))
		return true;
	return fOwner != NULL && fOwner->IsHidden();
}


void
BView::MakeFocus(bool focus)
{
	if (fOwner == NULL)
		return;
	if (focus)
		fOwner->_SetFocus(this);
	else if (IsFocus())
		fOwner->_SetFocus(NULL);
}


bool
BView::IsFocus() const
{
	return fOwner != NULL && fOwner->CurrentFocus() == this;
}


// #pragma mark - updating


void
BView::Invalidate()
{
	Invalidate(Bounds());
}


void
BView::Invalidate(BRect rect)
{
	if (!_IsOnScreen() || !rect.IsValid())
		return;
	_InvalidateWidget(rect);
}


void
BView::Sync() const
{
	if (fOwnerBitmap != NULL)
		fOwnerBitmap->_Views()->Flush();
}


void
BView::Flush() const
{
	Sync();
}
