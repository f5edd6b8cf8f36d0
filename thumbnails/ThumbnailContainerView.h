#ifndef GLIM_THUMBNAIL_CONTAINER_VIEW_H
#define GLIM_THUMBNAIL_CONTAINER_VIEW_H

#include <string>

#include <View.h>

#include "thumbnails/ThumbnailCache.h"

class BBitmap;
class BViewerWin;

// The scrolling grid of thumbnails of the window's image list: one cell of
// FrameWidth x FrameHeight per image, the stored thumbnail centred above the
// file name, with optional border and shadow, the selected cell highlighted,
// over flat grey or a tiled background image. It keeps no list of its own:
// it reads the window's list through GetNextFile. The decoded thumbnails of
// the cells on show are kept between paints, dropped when the folder or the
// size setting changes. Runs on the window thread; the thumbnail worker only
// invalidates it and tells it of remade thumbnails, with the window locked.
class BThumbnailContainerView : public BView {
public:
	BThumbnailContainerView(BViewerWin* window, BRect frame);
	virtual ~BThumbnailContainerView();

	virtual void MessageReceived(BMessage* message);
	virtual void AttachedToWindow();
	virtual void Draw(BRect update);
	virtual void MouseDown(BPoint where);
	virtual void FrameResized(float width, float height);

	void PrefsUpdate();
	void SetBackgroundImage(const char* path);
	void FolderChanged();
	void Update();
	void FixupScrollbars();
	void InvalidateItem(int32 index);
	// The stored thumbnail of the image at path was made again.
	void ThumbnailChanged(const char* path);
	const BThumbnailCache& Cache() const { return fCache; }

	// Reads the stored thumbnail of an image, without the cache: a new
	// bitmap the caller owns.
	bool GetBitmap(const char* path, BBitmap** bitmap, bool& fromCache);

	void DragObject(int32 index);
	void CopyFile(BMessage* reply);
	void RemoveFile(BMessage* reply);

	// Grid geometry for the current bounds and list.
	int32 CountColumns() const;
	int32 IndexAt(BPoint where) const;
	int32 Selected() const { return fSelected; }
	float FrameWidth() const { return fFrameWidth; }
	float FrameHeight() const { return fFrameHeight; }

	// The longest beginning of name that, followed by "...", is narrower
	// than width; the whole name when it already is.
	static std::string TruncateName(const char* name, float width,
		float (*measure)(const char* text, void* context), void* context);

private:
	void _ReadSettings();
	int32 _CountItems() const;
	void _DrawCell(BView* view, int32 index, BRect bounds, float textHeight);
	bool _ReplySource(std::string& path);

	bigtime_t fLastClickTime;
	BViewerWin* fWindow;
	BBitmap* fBackground;
	int32 fSelected;
	int32 fLastClickIndex;
	float fThumbWidth;
	float fThumbHeight;
	float fFrameWidth;
	float fFrameHeight;
	bool fDrawBorder;
	bool fDrawShadow;
	// The path dragged last, so a reply acts on the file that was dragged
	// even if the selection changed meanwhile.
	std::string fDraggedPath;
	BThumbnailCache fCache;
};

#endif
