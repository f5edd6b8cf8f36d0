#ifndef _VIEW_H
#define _VIEW_H

#include <memory>
#include <string>
#include <vector>

#include <Font.h>
#include <Handler.h>
#include <InterfaceDefs.h>
#include <Rect.h>

class BBitmap;
class BMessage;
class BPicture;
class BScrollBar;
class BScrollView;
class BWindow;
class QImage;
class QPainter;
class QPainterPath;
class QRegion;
class QWidget;

namespace BPrivate {
class ViewWidget;
class ViewAccess;
class BitmapViews;
class PictureRecording;
struct PictureRecordingDeleter {
	void operator()(PictureRecording* recording) const;
};
} // namespace BPrivate

// Resizing modes: how a view's edges follow its parent's when the parent is
// resized. Four nibbles, one per edge (top, left, bottom, right), each naming
// the parent edge it keeps its distance to.
#define _VIEW_TOP_ 1UL
#define _VIEW_LEFT_ 2UL
#define _VIEW_BOTTOM_ 3UL
#define _VIEW_RIGHT_ 4UL
#define _VIEW_CENTER_ 5UL
#define _rule_(top, left, bottom, right) \
	(((top) << 12) | ((left) << 8) | ((bottom) << 4) | (right))

#define B_FOLLOW_NONE 0
#define B_FOLLOW_LEFT _rule_(0, _VIEW_LEFT_, 0, _VIEW_LEFT_)
#define B_FOLLOW_RIGHT _rule_(0, _VIEW_RIGHT_, 0, _VIEW_RIGHT_)
#define B_FOLLOW_LEFT_RIGHT _rule_(0, _VIEW_LEFT_, 0, _VIEW_RIGHT_)
#define B_FOLLOW_H_CENTER _rule_(0, _VIEW_CENTER_, 0, _VIEW_CENTER_)
#define B_FOLLOW_TOP _rule_(_VIEW_TOP_, 0, _VIEW_TOP_, 0)
#define B_FOLLOW_BOTTOM _rule_(_VIEW_BOTTOM_, 0, _VIEW_BOTTOM_, 0)
#define B_FOLLOW_TOP_BOTTOM _rule_(_VIEW_TOP_, 0, _VIEW_BOTTOM_, 0)
#define B_FOLLOW_V_CENTER _rule_(_VIEW_CENTER_, 0, _VIEW_CENTER_, 0)
#define B_FOLLOW_ALL_SIDES (B_FOLLOW_TOP_BOTTOM | B_FOLLOW_LEFT_RIGHT)
#define B_FOLLOW_ALL B_FOLLOW_ALL_SIDES

// View flags.
enum {
	B_FULL_UPDATE_ON_RESIZE = 0x80000000UL,
	B_WILL_DRAW = 0x20000000UL,
	B_PULSE_NEEDED = 0x10000000UL,
	B_NAVIGABLE_JUMP = 0x08000000UL,
	B_FRAME_EVENTS = 0x04000000UL,
	B_NAVIGABLE = 0x02000000UL,
	B_SUBPIXEL_PRECISE = 0x01000000UL,
	B_DRAW_ON_CHILDREN = 0x00800000UL,
	B_INPUT_METHOD_AWARE = 0x00400000UL
};

// MouseMoved transits.
enum {
	B_ENTERED_VIEW = 0,
	B_INSIDE_VIEW,
	B_EXITED_VIEW,
	B_OUTSIDE_VIEW
};

// Font masks of SetFont.
enum {
	B_FONT_FAMILY_AND_STYLE = 0x00000001,
	B_FONT_SIZE = 0x00000002,
	B_FONT_SHEAR = 0x00000004,
	B_FONT_ROTATION = 0x00000008,
	B_FONT_SPACING = 0x00000010,
	B_FONT_ENCODING = 0x00000020,
	B_FONT_FACE = 0x00000040,
	B_FONT_FLAGS = 0x00000080,
	B_FONT_ALL = 0x000000FF
};

// A rectangle of a window (or of an off-screen bitmap) that draws and takes
// input. The view's state (frame in the parent's coordinates, scroll offset,
// flags, colours, children) lives here; while the view belongs to a shown
// window a widget on the GUI thread mirrors it.
//
// Threads: call a view with its window locked. Calls made from another thread
// that holds the lock (Invalidate, ScrollTo, geometry, Show/Hide) change the
// state at once and reach the widget through the GUI thread. Drawing calls
// work inside Draw for an on-screen view, and at any time for a view
// attached to a locked BBitmap, where they draw into the bitmap's pixels;
// elsewhere they do nothing.
//
// Ownership: a view owns its children and deletes them with itself.
class BView : public BHandler {
public:
	BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
	virtual ~BView();

	// Hooks.
	virtual void AttachedToWindow();
	virtual void AllAttached();
	virtual void DetachedFromWindow();
	virtual void AllDetached();
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void MouseUp(BPoint where);
	virtual void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);
	// Unhandled keys go on to the parent view, and from the top to the window.
	virtual void KeyDown(const char* bytes, int32 numBytes);
	virtual void KeyUp(const char* bytes, int32 numBytes);
	virtual void Pulse();
	virtual void FrameMoved(BPoint newPosition);
	virtual void FrameResized(float newWidth, float newHeight);
	virtual void WindowActivated(bool active);
	virtual void TargetedByScrollView(BScrollView* scrollView);
	virtual void MessageReceived(BMessage* message);

	// Hierarchy.
	BWindow* Window() const;
	// NULL for a view added to the window itself.
	BView* Parent() const;
	virtual void AddChild(BView* child, BView* before = NULL);
	virtual bool RemoveChild(BView* child);
	bool RemoveSelf();
	int32 CountChildren() const { return (int32)fChildren.size(); }
	BView* ChildAt(int32 index) const;
	BView* NextSibling() const;
	BView* PreviousSibling() const;
	// Searches the view's descendants by name, depth first.
	BView* FindView(const char* name) const;

	// Geometry.
	BRect Frame() const { return fFrame; }
	BRect Bounds() const;
	BPoint LeftTop() const { return fBoundsOrigin; }
	void MoveBy(float dx, float dy);
	void MoveTo(BPoint where);
	void MoveTo(float x, float y);
	void ResizeBy(float dx, float dy);
	void ResizeTo(float width, float height);
	virtual void GetPreferredSize(float* _width, float* _height);
	void ScrollBy(float dx, float dy);
	virtual void ScrollTo(BPoint where);
	void ScrollTo(float x, float y) { ScrollTo(BPoint(x, y)); }
	BScrollBar* ScrollBar(orientation direction) const;

	void ConvertToScreen(BPoint* point) const;
	BPoint ConvertToScreen(BPoint point) const;
	void ConvertToScreen(BRect* rect) const;
	BRect ConvertToScreen(BRect rect) const;
	void ConvertFromScreen(BPoint* point) const;
	BPoint ConvertFromScreen(BPoint point) const;
	void ConvertFromScreen(BRect* rect) const;
	BRect ConvertFromScreen(BRect rect) const;
	void ConvertToParent(BPoint* point) const;
	BPoint ConvertToParent(BPoint point) const;
	void ConvertToParent(BRect* rect) const;
	BRect ConvertToParent(BRect rect) const;
	void ConvertFromParent(BPoint* point) const;
	BPoint ConvertFromParent(BPoint point) const;
	void ConvertFromParent(BRect* rect) const;
	BRect ConvertFromParent(BRect rect) const;

	// Flags and state.
	uint32 Flags() const { return fFlags; }
	virtual void SetFlags(uint32 flags);
	uint32 ResizingMode() const { return fResizingMode; }
	virtual void SetResizingMode(uint32 mode);
	virtual void Show();
	virtual void Hide();
	// True when the view or one of its ancestors is hidden (or the window).
	bool IsHidden() const;
	bool IsHidden(const BView* lookingFrom) const;
	virtual void MakeFocus(bool focus = true);
	bool IsFocus() const;

	// Updating.
	void Invalidate();
	void Invalidate(BRect rect);
	void Sync() const;
	void Flush() const;

	// Input.
	void GetMouse(BPoint* location, uint32* buttons, bool checkMessageQueue = true);

	// Drag and drop (ViewDrag.cpp). Starts dragging a copy of message, shown
	// as image (which the view takes over and deletes) held at offset from
	// its top-left corner, or as the outline of dragRect. Returns when the
	// drag ends. A drop on a view of this program reaches that view's
	// MessageReceived with WasDropped() true and DropPoint() in screen
	// coordinates; replies to it go to replyTo (default: this view). A
	// message that names files ("refs" of a B_SIMPLE_DATA message, or the
	// string field "glim:path") offers them to other programs as a
	// text/uri-list.
	void DragMessage(BMessage* message, BBitmap* image, BPoint offset,
		BHandler* replyTo = NULL);
	void DragMessage(BMessage* message, BBitmap* image, drawing_mode dragMode, BPoint offset,
		BHandler* replyTo = NULL);
	void DragMessage(BMessage* message, BRect dragRect, BHandler* replyTo = NULL);

	// Colours and drawing state.
	virtual void SetViewColor(rgb_color color);
	void SetViewColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	rgb_color ViewColor() const { return fViewColor; }
	void SetHighColor(rgb_color color);
	void SetHighColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	rgb_color HighColor() const { return fHighColor; }
	void SetLowColor(rgb_color color);
	void SetLowColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	rgb_color LowColor() const { return fLowColor; }
	void SetDrawingMode(drawing_mode mode);
	drawing_mode DrawingMode() const { return fDrawingMode; }
	void SetPenSize(float size);
	void MovePenTo(BPoint where);
	void MovePenTo(float x, float y);
	BPoint PenLocation() const { return fPenLocation; }
	virtual void SetFont(const BFont* font, uint32 mask = B_FONT_ALL);
	void GetFont(BFont* font) const;
	void SetFontSize(float size);
	void GetFontHeight(font_height* height) const;
	float StringWidth(const char* string) const;
	float StringWidth(const char* string, int32 length) const;

	// The view shows a copy of bitmap as its background, at its top-left
	// corner (tiled with B_TILE_BITMAP), under what Draw draws.
	void SetViewBitmap(const BBitmap* bitmap, uint32 followFlags = B_FOLLOW_TOP | B_FOLLOW_LEFT,
		uint32 options = B_TILE_BITMAP);
	void SetViewBitmap(const BBitmap* bitmap, BRect srcRect, BRect dstRect,
		uint32 followFlags = B_FOLLOW_TOP | B_FOLLOW_LEFT, uint32 options = B_TILE_BITMAP);
	void ClearViewBitmap();

	// Drawing. Rectangles are inclusive: FillRect(BRect(0, 0, 9, 9)) covers
	// ten by ten pixels. Patterns other than B_SOLID_HIGH and B_SOLID_LOW
	// draw in the high colour.
	void StrokeLine(BPoint end, const pattern& p = B_SOLID_HIGH);
	void StrokeLine(BPoint start, BPoint end, const pattern& p = B_SOLID_HIGH);
	void StrokeRect(BRect rect, const pattern& p = B_SOLID_HIGH);
	void FillRect(BRect rect, const pattern& p = B_SOLID_HIGH);
	void StrokeRoundRect(BRect rect, float xRadius, float yRadius,
		const pattern& p = B_SOLID_HIGH);
	void FillRoundRect(BRect rect, float xRadius, float yRadius,
		const pattern& p = B_SOLID_HIGH);
	void StrokeEllipse(BPoint center, float xRadius, float yRadius,
		const pattern& p = B_SOLID_HIGH);
	void StrokeEllipse(BRect rect, const pattern& p = B_SOLID_HIGH);
	void FillEllipse(BPoint center, float xRadius, float yRadius,
		const pattern& p = B_SOLID_HIGH);
	void FillEllipse(BRect rect, const pattern& p = B_SOLID_HIGH);
	// The baseline of the text starts at where (or at the pen), and the pen
	// moves to its end.
	void DrawString(const char* string, const void* escapement = NULL);
	void DrawString(const char* string, BPoint where, const void* escapement = NULL);
	void DrawString(const char* string, int32 length, BPoint where);
	// The source rectangle of the bitmap scaled smoothly into the destination;
	// only the part that lands in the clipping area is scaled.
	void DrawBitmap(const BBitmap* bitmap, BRect srcRect, BRect dstRect);
	void DrawBitmap(const BBitmap* bitmap, BRect dstRect);
	void DrawBitmap(const BBitmap* bitmap, BPoint where);
	void DrawBitmap(const BBitmap* bitmap);

	// Pictures (Picture.cpp). Between BeginPicture and EndPicture the view's
	// drawing calls are recorded into the picture, in the view's
	// coordinates, instead of being drawn; recordings may nest, an inner
	// picture being drawn into the outer one when it ends. The caller keeps
	// owning the picture. DrawPicture draws a picture with its origin at
	// where (or at the pen).
	void BeginPicture(BPicture* picture);
	BPicture* EndPicture();
	void DrawPicture(const BPicture* picture);
	void DrawPicture(const BPicture* picture, BPoint where);

private:
	friend class BWindow;
	friend class BBitmap;
	friend class BScrollBar;
	friend class BMenuBar;
	friend class BPrivate::BitmapViews;
	friend class BPrivate::ViewWidget;
	friend class BPrivate::ViewAccess;

	BView(const BView&) = delete;
	BView& operator=(const BView&) = delete;

	// Hierarchy (View.cpp).
	void _Attach(BWindow* window, BBitmap* bitmap);
	void _Detach();
	void _CallAttached();
	void _CallAllAttached();
	void _CallDetached();
	bool _IsOnScreen() const;
	BPoint _OriginInWindow() const;
	void _ParentResized(float dx, float dy);
	void _ApplyResize(float dx, float dy);
	void _ScrollByWheel(BMessage* message);

	// Widget mirror (ViewWidget.cpp). The virtual ones let the views that
	// are backed by a toolkit widget of their own (menu bar, scroll bar)
	// make and update it.
	virtual QWidget* _CreateWidget(QWidget* parent);
	virtual void _WidgetCreated();
	virtual void _WidgetStateChanged();
	void _BuildWidgets(QWidget* parent);
	void _ForgetWidgets();
	void _DestroyWidgets();
	void _SyncWidget();
	void _SyncWidgetNow();
	void _InvalidateWidget(BRect rect);

	// Drawing (ViewDrawing.cpp).
	void _Paint(QWidget* widget, const QRegion& region);
	QPainter* _Painter();
	void _PrepareFill(QPainter* painter, const pattern& p);
	void _FillArea(const QPainterPath& path, const pattern& p, bool antialias);
	void _StrokeArea(const QPainterPath& path, const pattern& p);
	void _DrawBackground(QPainter* painter, BRect update);

	// Drag and drop (ViewDrag.cpp).
	void _StartDrag(const BMessage& message, const QImage& image, BPoint offset,
		BHandler* source);

	BRect fFrame;
	BPoint fBoundsOrigin;
	uint32 fResizingMode;
	uint32 fFlags;
	int32 fHidden;
	bool fIsTopView;
	BWindow* fOwner;
	BBitmap* fOwnerBitmap;
	BView* fParent;
	std::vector<BView*> fChildren;
	BScrollBar* fHorizontalBar;
	BScrollBar* fVerticalBar;

	rgb_color fViewColor;
	rgb_color fHighColor;
	rgb_color fLowColor;
	drawing_mode fDrawingMode;
	float fPenSize;
	BPoint fPenLocation;
	BFont fFont;
	std::unique_ptr<QImage> fViewBitmap;
	uint32 fViewBitmapOptions;
	std::unique_ptr<BPrivate::PictureRecording, BPrivate::PictureRecordingDeleter> fRecording;

	// GUI thread only: the widget, and the painter of the paint in progress.
	QWidget* fWidget;
	QPainter* fPainter;
};

#endif
