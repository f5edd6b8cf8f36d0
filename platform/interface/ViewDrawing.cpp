// BView's drawing: the state (colours, mode, pen, font), the primitives, and
// the paint of an on-screen view. Every primitive draws through _Painter(),
// which is the paint's painter inside Draw on the GUI thread, or the
// painter on a locked BBitmap's pixels for a view attached to that bitmap.
#include <View.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include <Bitmap.h>

#include "AppPrivate.h"
#include "BitmapPrivate.h"
#include "BitmapViews.h"
#include "FontPrivate.h"
#include "PicturePrivate.h"

namespace {

int
round_edge(float value)
{
	return (int)std::floor(value + 0.5f);
}


// The pixels of an inclusive rectangle, edges rounded to the nearest pixel.
QRectF
pixel_area(BRect rect)
{
	int left = round_edge(rect.left);
	int top = round_edge(rect.top);
	int right = round_edge(rect.right);
	int bottom = round_edge(rect.bottom);
	return QRectF(left, top, right - left + 1, bottom - top + 1);
}


QColor
opaque(rgb_color color)
{
	return QColor(color.red, color.green, color.blue);
}


// Sets the painter up for the drawing mode; returns the colour to draw with.
QColor
apply_mode(QPainter* painter, drawing_mode mode, rgb_color high, rgb_color low)
{
	painter->setOpacity(1.0);
	painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
	switch (mode) {
		case B_OP_BLEND:
			painter->setOpacity(0.5);
			return opaque(high);
		case B_OP_INVERT:
			painter->setCompositionMode(QPainter::RasterOp_NotDestination);
			return QColor(0, 0, 0);
		case B_OP_ALPHA:
			return QColor(high.red, high.green, high.blue, high.alpha);
		case B_OP_ERASE:
			return opaque(low);
		case B_OP_ADD:
			painter->setCompositionMode(QPainter::CompositionMode_Plus);
			return opaque(high);
		case B_OP_SUBTRACT:
			painter->setCompositionMode(QPainter::CompositionMode_Difference);
			return opaque(high);
		case B_OP_MIN:
			painter->setCompositionMode(QPainter::CompositionMode_Darken);
			return opaque(high);
		case B_OP_MAX:
			painter->setCompositionMode(QPainter::CompositionMode_Lighten);
			return opaque(high);
		default:
			return opaque(high);
	}
}


// The bitmap's image as drawing should see it: in the copying modes a
// B_RGBA32 bitmap's alpha is ignored, so its pixels are read as opaque.
QImage
image_for_mode(const QImage& image, drawing_mode mode)
{
	if (image.format() != QImage::Format_ARGB32 || mode == B_OP_OVER || mode == B_OP_ALPHA)
		return image;
	return QImage(image.constBits(), image.width(), image.height(), image.bytesPerLine(),
		QImage::Format_RGB32);
}


// Draws the source area of image into the destination area. Only the part
// of the destination inside the painter's clip is computed: strong
// reductions scale just the needed source pixels with a box filter, the rest
// is filtered by the painter itself.
void
draw_image(QPainter* painter, const QImage& image, QRectF source, QRectF target)
{
	double scaleX = target.width() / source.width();
	double scaleY = target.height() / source.height();
	QRectF clipped = source & QRectF(0, 0, image.width(), image.height());
	if (clipped.isEmpty())
		return;
	target = QRectF(target.left() + (clipped.left() - source.left()) * scaleX,
		target.top() + (clipped.top() - source.top()) * scaleY, clipped.width() * scaleX,
		clipped.height() * scaleY);
	source = clipped;

	QRectF visible = target;
	if (painter->hasClipping())
		visible &= painter->clipBoundingRect();
	if (visible.isEmpty())
		return;
	const double margin = 2;
	QRectF needed(source.left() + (visible.left() - target.left()) / scaleX - margin,
		source.top() + (visible.top() - target.top()) / scaleY - margin,
		visible.width() / scaleX + 2 * margin, visible.height() / scaleY + 2 * margin);
	needed &= source;
	if (needed.isEmpty())
		return;
	if (scaleX < 0.5 || scaleY < 0.5) {
		QRect pixels(QPoint((int)std::floor(needed.left()), (int)std::floor(needed.top())),
			QPoint((int)std::ceil(needed.right()) - 1, (int)std::ceil(needed.bottom()) - 1));
		pixels &= image.rect();
		needed = QRectF(pixels);
	}
	QRectF part(target.left() + (needed.left() - source.left()) * scaleX,
		target.top() + (needed.top() - source.top()) * scaleY, needed.width() * scaleX,
		needed.height() * scaleY);

	bool unscaled = scaleX == 1 && scaleY == 1;
	if (scaleX >= 0.5 && scaleY >= 0.5) {
		painter->setRenderHint(QPainter::SmoothPixmapTransform, !unscaled);
		painter->drawImage(part, image, needed);
		return;
	}
	QRect pixels = needed.toRect();
	const uchar* bits = image.constBits() + pixels.top() * image.bytesPerLine()
		+ pixels.left() * 4;
	QImage piece(bits, pixels.width(), pixels.height(), image.bytesPerLine(), image.format());
	QSize size(std::max(1, (int)std::lround(part.width())),
		std::max(1, (int)std::lround(part.height())));
	QImage scaled = piece.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
	painter->drawImage(QRectF(part.topLeft(), QSizeF(size)), scaled);
}

} // namespace


// #pragma mark - paint


void
BView::_Paint(QWidget* widget, const QRegion& region)
{
	QPainter painter(widget);
	painter.setClipRegion(region);
	painter.translate(-fBoundsOrigin.x, -fBoundsOrigin.y);
	QRect box = region.boundingRect();
	BRect update(box.left() + fBoundsOrigin.x, box.top() + fBoundsOrigin.y,
		box.right() + fBoundsOrigin.x, box.bottom() + fBoundsOrigin.y);
	_DrawBackground(&painter, update);
	if ((fFlags & B_WILL_DRAW) == 0)
		return;
	fPainter = &painter;
	Draw(update);
	fPainter = NULL;
}


void
BView::_DrawBackground(QPainter* painter, BRect update)
{
	if (fViewColor != B_TRANSPARENT_COLOR)
		painter->fillRect(pixel_area(update), opaque(fViewColor));
	if (!fViewBitmap || fViewBitmap->isNull())
		return;
	BRect bounds = Bounds();
	int width = fViewBitmap->width();
	int height = fViewBitmap->height();
	bool tileX = (fViewBitmapOptions & B_TILE_BITMAP_X) != 0;
	bool tileY = (fViewBitmapOptions & B_TILE_BITMAP_Y) != 0;
	float right = tileX ? bounds.right : bounds.left;
	float bottom = tileY ? bounds.bottom : bounds.top;
	for (float y = bounds.top; y <= bottom; y += height) {
		for (float x = bounds.left; x <= right; x += width)
			painter->drawImage(QPointF(x, y), *fViewBitmap);
	}
}


QPainter*
BView::_Painter()
{
	if (fRecording)
		return fRecording->Painter();
	if (fOwnerBitmap != NULL)
		return fOwnerBitmap->_Views()->PainterFor(this);
	if (fPainter != NULL && BPrivate::is_gui_thread())
		return fPainter;
	return NULL;
}


void
BView::_PrepareFill(QPainter* painter, const pattern& p)
{
	bool low = memcmp(&p, &B_SOLID_LOW, sizeof(pattern)) == 0;
	QColor color = apply_mode(painter, fDrawingMode, low ? fLowColor : fHighColor, fLowColor);
	painter->setPen(Qt::NoPen);
	painter->setBrush(color);
}


void
BView::_FillArea(const QPainterPath& path, const pattern& p, bool antialias)
{
	QPainter* painter = _Painter();
	if (painter == NULL)
		return;
	_PrepareFill(painter, p);
	painter->setRenderHint(QPainter::Antialiasing, antialias);
	painter->drawPath(path);
}


void
BView::_StrokeArea(const QPainterPath& path, const pattern& p)
{
	QPainter* painter = _Painter();
	if (painter == NULL)
		return;
	_PrepareFill(painter, p);
	QPen pen(painter->brush().color(), std::max(1.0f, fPenSize));
	painter->setBrush(Qt::NoBrush);
	painter->setPen(pen);
	painter->setRenderHint(QPainter::Antialiasing, true);
	painter->drawPath(path);
}


// #pragma mark - state


void
BView::SetViewColor(rgb_color color)
{
	if (fViewColor == color)
		return;
	fViewColor = color;
	Invalidate();
}


void
BView::SetViewColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetViewColor(make_color(red, green, blue, alpha));
}


void
BView::SetHighColor(rgb_color color)
{
	fHighColor = color;
}

void
BView::SetLowColor(rgb_color color)
{
	fLowColor = color;
}

void
BView::SetDrawingMode(drawing_mode mode)
{
	fDrawingMode = mode;
}

void
BView::MovePenTo(BPoint where)
{
	fPenLocation = where;
}

void
BView::MovePenTo(float x, float y)
{
	fPenLocation = BPoint(x, y);
}


void
BView::SetHighColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetHighColor(make_color(red, green, blue, alpha));
}


void
BView::SetLowColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetLowColor(make_color(red, green, blue, alpha));
}


void
BView::SetPenSize(float size)
{
	if (size >= 0)
		fPenSize = size;
}


void
BView::SetFont(const BFont* font, uint32 mask)
{
	if (font == NULL)
		return;
	if ((mask & B_FONT_FAMILY_AND_STYLE) != 0)
		fFont.SetFamilyAndFace(font->_Family().c_str(), font->Face());
	if ((mask & B_FONT_SIZE) != 0)
		fFont.SetSize(font->Size());
	if ((mask & B_FONT_FACE) != 0)
		fFont.SetFace(font->Face());
}


void
BView::GetFont(BFont* font) const
{
	if (font != NULL)
		*font = fFont;
}


void
BView::SetFontSize(float size)
{
	fFont.SetSize(size);
}


void
BView::GetFontHeight(font_height* height) const
{
	fFont.GetHeight(height);
}


float
BView::StringWidth(const char* string) const
{
	return fFont.StringWidth(string);
}


float
BView::StringWidth(const char* string, int32 length) const
{
	return fFont.StringWidth(string, length);
}


void
BView::SetViewBitmap(const BBitmap* bitmap, uint32 followFlags, uint32 options)
{
	if (bitmap == NULL || bitmap->InitCheck() != B_OK) {
		ClearViewBitmap();
		return;
	}
	SetViewBitmap(bitmap, bitmap->Bounds(), bitmap->Bounds(), followFlags, options);
}


void
BView::SetViewBitmap(const BBitmap* bitmap, BRect srcRect, BRect dstRect, uint32,
	uint32 options)
{
	if (bitmap == NULL || bitmap->InitCheck() != B_OK) {
		ClearViewBitmap();
		return;
	}
	BRect bounds = bitmap->Bounds();
	QRectF source = pixel_area(srcRect.OffsetByCopy(-bounds.left, -bounds.top));
	QRectF target = pixel_area(dstRect);
	QImage image = BPrivate::bitmap_image(bitmap).copy(source.toRect());
	if (image.size() != target.size().toSize()) {
		image = image.scaled(target.size().toSize(), Qt::IgnoreAspectRatio,
			Qt::SmoothTransformation);
	}
	fViewBitmap = std::make_unique<QImage>(image);
	fViewBitmapOptions = options;
	Invalidate();
}


void
BView::ClearViewBitmap()
{
	if (!fViewBitmap)
		return;
	fViewBitmap.reset();
	Invalidate();
}


// #pragma mark - primitives


void
BView::FillRect(BRect rect, const pattern& p)
{
	if (!rect.IsValid())
		return;
	QPainterPath path;
	path.addRect(pixel_area(rect));
	_FillArea(path, p, false);
}


void
BView::StrokeRect(BRect rect, const pattern& p)
{
	if (!rect.IsValid())
		return;
	QRectF outer = pixel_area(rect);
	float pen = std::max(1.0f, std::floor(fPenSize + 0.5f));
	if (pen > 1)
		outer.adjust(-std::floor((pen - 1) / 2), -std::floor((pen - 1) / 2),
			std::ceil((pen - 1) / 2), std::ceil((pen - 1) / 2));
	QPainterPath path;
	path.setFillRule(Qt::OddEvenFill);
	path.addRect(outer);
	QRectF inner = outer.adjusted(pen, pen, -pen, -pen);
	if (inner.width() > 0 && inner.height() > 0)
		path.addRect(inner);
	_FillArea(path, p, false);
}


void
BView::StrokeLine(BPoint end, const pattern& p)
{
	StrokeLine(fPenLocation, end, p);
}


void
BView::StrokeLine(BPoint start, BPoint end, const pattern& p)
{
	fPenLocation = end;
	float pen = std::max(1.0f, fPenSize);
	if (pen <= 1 && (start.x == end.x || start.y == end.y)) {
		FillRect(BRect(std::min(start.x, end.x), std::min(start.y, end.y),
					 std::max(start.x, end.x), std::max(start.y, end.y)),
			p);
		fPenLocation = end;
		return;
	}
	QPainter* painter = _Painter();
	if (painter == NULL)
		return;
	_PrepareFill(painter, p);
	painter->setPen(QPen(painter->brush().color(), pen, Qt::SolidLine, Qt::SquareCap));
	painter->setBrush(Qt::NoBrush);
	painter->setRenderHint(QPainter::Antialiasing, false);
	painter->drawLine(QPointF(start.x + 0.5, start.y + 0.5), QPointF(end.x + 0.5, end.y + 0.5));
}


void
BView::FillRoundRect(BRect rect, float xRadius, float yRadius, const pattern& p)
{
	if (!rect.IsValid())
		return;
	QPainterPath path;
	path.addRoundedRect(pixel_area(rect), xRadius, yRadius);
	_FillArea(path, p, true);
}


void
BView::StrokeRoundRect(BRect rect, float xRadius, float yRadius, const pattern& p)
{
	if (!rect.IsValid())
		return;
	QPainterPath path;
	path.addRoundedRect(pixel_area(rect).adjusted(0.5, 0.5, -0.5, -0.5), xRadius, yRadius);
	_StrokeArea(path, p);
}


void
BView::FillEllipse(BRect rect, const pattern& p)
{
	if (!rect.IsValid())
		return;
	QPainterPath path;
	path.addEllipse(pixel_area(rect));
	_FillArea(path, p, true);
}


void
BView::FillEllipse(BPoint center, float xRadius, float yRadius, const pattern& p)
{
	FillEllipse(BRect(center.x - xRadius, center.y - yRadius, center.x + xRadius,
					center.y + yRadius),
		p);
}


void
BView::StrokeEllipse(BRect rect, const pattern& p)
{
	if (!rect.IsValid())
		return;
	QPainterPath path;
	path.addEllipse(pixel_area(rect).adjusted(0.5, 0.5, -0.5, -0.5));
	_StrokeArea(path, p);
}


void
BView::StrokeEllipse(BPoint center, float xRadius, float yRadius, const pattern& p)
{
	StrokeEllipse(BRect(center.x - xRadius, center.y - yRadius, center.x + xRadius,
					  center.y + yRadius),
		p);
}


void
BView::DrawString(const char* string, const void*)
{
	DrawString(string, fPenLocation);
}


void
BView::DrawString(const char* string, BPoint where, const void*)
{
	if (string == NULL)
		return;
	DrawString(string, (int32)strlen(string), where);
}


void
BView::DrawString(const char* string, int32 length, BPoint where)
{
	if (string == NULL || length <= 0)
		return;
	fPenLocation = BPoint(where.x + StringWidth(string, length), where.y);
	QPainter* painter = _Painter();
	if (painter == NULL)
		return;
	_PrepareFill(painter, B_SOLID_HIGH);
	if (fRecording) {
		// Pictures keep text as outlines, which play back alike on devices
		// of any resolution; the toolkit refits recorded text to each one.
		QPainterPath path;
		path.addText(QPointF(where.x, where.y), BPrivate::qt_font(fFont),
			QString::fromUtf8(string, length));
		painter->setRenderHint(QPainter::Antialiasing, true);
		painter->drawPath(path);
		return;
	}
	painter->setPen(painter->brush().color());
	painter->setFont(BPrivate::qt_font(fFont));
	painter->setRenderHint(QPainter::TextAntialiasing, true);
	painter->drawText(QPointF(where.x, where.y), QString::fromUtf8(string, length));
}


void
BView::DrawBitmap(const BBitmap* bitmap, BRect srcRect, BRect dstRect)
{
	if (bitmap == NULL || bitmap->InitCheck() != B_OK || !srcRect.IsValid()
		|| !dstRect.IsValid())
		return;
	QPainter* painter = _Painter();
	if (painter == NULL)
		return;
	apply_mode(painter, fDrawingMode == B_OP_INVERT ? B_OP_COPY : fDrawingMode, fHighColor,
		fLowColor);
	BRect bounds = bitmap->Bounds();
	QRectF source(srcRect.left - bounds.left, srcRect.top - bounds.top, srcRect.Width() + 1,
		srcRect.Height() + 1);
	QImage image = image_for_mode(BPrivate::bitmap_image(bitmap), fDrawingMode);
	// A picture keeps the pixels: the bitmap may go before the picture does.
	if (fRecording)
		image = image.copy();
	draw_image(painter, image, source, pixel_area(dstRect));
}


void
BView::DrawBitmap(const BBitmap* bitmap, BRect dstRect)
{
	if (bitmap != NULL)
		DrawBitmap(bitmap, bitmap->Bounds(), dstRect);
}


void
BView::DrawBitmap(const BBitmap* bitmap, BPoint where)
{
	if (bitmap != NULL)
		DrawBitmap(bitmap, bitmap->Bounds(), bitmap->Bounds().OffsetToCopy(where.x, where.y));
}


void
BView::DrawBitmap(const BBitmap* bitmap)
{
	DrawBitmap(bitmap, fPenLocation);
}