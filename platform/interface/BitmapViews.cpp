// The view-accepting side of BBitmap: child views that draw into the
// bitmap's pixels while it is locked.
#include "BitmapViews.h"

#include <QPainter>

#include <Bitmap.h>
#include <View.h>

#include "BitmapPrivate.h"

namespace BPrivate {

BitmapViews::BitmapViews(BBitmap* bitmap) :
	fBitmap(bitmap),
	fTop(NULL)
{
	BRect bounds = bitmap->Bounds();
	fTop = new BView(bounds.OffsetToCopy(0, 0), "bitmap top view", B_FOLLOW_ALL, 0);
	fTop->fIsTopView = true;
	fTop->_Attach(NULL, bitmap);
}


BitmapViews::~BitmapViews()
{
	fPainter.reset();
	delete fTop;
}


void
BitmapViews::Unlock()
{
	if (fLock.LockingThread() != find_thread(NULL))
		return;
	if (fLock.CountLocks() == 1)
		fPainter.reset();
	fLock.Unlock();
}


void
BitmapViews::Flush()
{
	if (fLock.LockingThread() == find_thread(NULL))
		fPainter.reset();
}


QPainter*
BitmapViews::PainterFor(BView* view)
{
	if (fLock.LockingThread() != find_thread(NULL))
		return NULL;
	QImage& image = bitmap_image(fBitmap);
	if (image.isNull())
		return NULL;
	if (!fPainter)
		fPainter = std::make_unique<QPainter>(&image);

	// The view's place in the bitmap, and what of it its ancestors leave
	// visible.
	BRect visible = view->Bounds();
	BPoint offset(-view->fBoundsOrigin.x, -view->fBoundsOrigin.y);
	for (BView* each = view; each != fTop && each->fParent != NULL; each = each->fParent) {
		visible = each->ConvertToParent(visible) & each->fParent->Bounds();
		offset += each->fFrame.LeftTop() - each->fParent->fBoundsOrigin;
	}
	fPainter->resetTransform();
	fPainter->setClipRect(
		QRectF(visible.left, visible.top, visible.Width() + 1, visible.Height() + 1));
	fPainter->translate(offset.x, offset.y);
	return fPainter.get();
}

} // namespace BPrivate


void
BBitmap::ViewsDeleter::operator()(BPrivate::BitmapViews* views) const
{
	delete views;
}


BPrivate::BitmapViews*
BBitmap::_Views() const
{
	if (!fViews)
		fViews.reset(new BPrivate::BitmapViews(const_cast<BBitmap*>(this)));
	return fViews.get();
}


void
BBitmap::AddChild(BView* view)
{
	if (view == NULL || (Flags() & B_BITMAP_ACCEPTS_VIEWS) == 0 || !IsValid())
		return;
	_Views()->Top()->AddChild(view);
}


bool
BBitmap::RemoveChild(BView* view)
{
	if (!fViews)
		return false;
	return fViews->Top()->RemoveChild(view);
}


int32
BBitmap::CountChildren() const
{
	return fViews ? fViews->Top()->CountChildren() : 0;
}


BView*
BBitmap::ChildAt(int32 index) const
{
	return fViews ? fViews->Top()->ChildAt(index) : NULL;
}


BView*
BBitmap::FindView(const char* name) const
{
	return fViews ? fViews->Top()->FindView(name) : NULL;
}


BView*
BBitmap::FindView(BPoint point) const
{
	if (!fViews)
		return NULL;
	BView* top = fViews->Top();
	for (int32 i = top->CountChildren() - 1; i >= 0; i--) {
		if (top->ChildAt(i)->Frame().Contains(point))
			return top->ChildAt(i);
	}
	return NULL;
}


bool
BBitmap::Lock()
{
	if ((Flags() & B_BITMAP_ACCEPTS_VIEWS) == 0)
		return false;
	return _Views()->Lock().Lock();
}


void
BBitmap::Unlock()
{
	if (fViews)
		fViews->Unlock();
}


bool
BBitmap::IsLocked() const
{
	return fViews && fViews->Lock().IsLocked();
}
