#ifndef _BITMAP_VIEWS_H
#define _BITMAP_VIEWS_H

#include <memory>

#include <Locker.h>

class BBitmap;
class BView;
class QPainter;

namespace BPrivate {

// The view-accepting side of a BBitmap: the hidden top view its children are
// added to, the bitmap's lock, and the one painter on its pixels that every
// view of the bitmap draws through while the bitmap is locked. The painter
// ends (the pixels are complete) at Sync() and at the last Unlock().
class BitmapViews {
public:
	explicit BitmapViews(BBitmap* bitmap);
	~BitmapViews();

	BView* Top() const { return fTop; }
	BLocker& Lock() { return fLock; }
	void Unlock();

	// The painter set up for drawing in view's coordinates and clipped to
	// the view; NULL unless the calling thread holds the bitmap's lock.
	QPainter* PainterFor(BView* view);
	void Flush();

private:
	BBitmap* fBitmap;
	BView* fTop;
	BLocker fLock;
	std::unique_ptr<QPainter> fPainter;
};

} // namespace BPrivate

#endif
