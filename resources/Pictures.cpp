#include "Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

const int kButtonSize = 40;
const QColor kToolbarGrey(216, 216, 216);
const QColor kPressedGrey(190, 190, 190);
const QColor kOutline(45, 45, 50);

typedef void (*DrawFunction)(QPainter&);

QPen
outline_pen(const QColor& color, qreal width = 1.2)
{
	return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A raised button has light top and left edges and shaded bottom and right
// ones; a pressed button swaps them.
void
draw_bevel(QPainter& painter, bool pressed)
{
	const int last = kButtonSize - 1;
	const QColor light = pressed ? QColor(128, 128, 128) : QColor(250, 250, 250);
	const QColor dark = pressed ? QColor(232, 232, 232) : QColor(150, 150, 150);
	const QColor innerDark = pressed ? QColor(160, 160, 160) : QColor(192, 192, 192);
	painter.setPen(light);
	painter.drawLine(0, 0, last - 1, 0);
	painter.drawLine(0, 0, 0, last - 1);
	painter.setPen(dark);
	painter.drawLine(0, last, last, last);
	painter.drawLine(last, 0, last, last);
	painter.setPen(innerDark);
	if (pressed) {
		painter.drawLine(1, 1, last - 2, 1);
		painter.drawLine(1, 1, 1, last - 2);
	} else {
		painter.drawLine(1, last - 1, last - 1, last - 1);
		painter.drawLine(last - 1, 1, last - 1, last - 1);
	}
}

QImage
button_picture(DrawFunction draw, bool pressed)
{
	QImage image(kButtonSize, kButtonSize, QImage::Format_RGB32);
	image.fill(pressed ? kPressedGrey : kToolbarGrey);
	QPainter painter(&image);
	draw_bevel(painter, pressed);
	painter.setRenderHint(QPainter::Antialiasing);
	if (pressed)
		painter.translate(1, 1);
	draw(painter);
	return image;
}

void
draw_open(QPainter& painter)
{
	const QColor edge(112, 76, 16);
	QPainterPath back;
	back.moveTo(7, 29);
	back.lineTo(7, 12);
	back.quadTo(7, 10.5, 8.5, 10.5);
	back.lineTo(15, 10.5);
	back.lineTo(17.5, 13);
	back.lineTo(30, 13);
	back.quadTo(31.5, 13, 31.5, 14.5);
	back.lineTo(31.5, 29);
	back.closeSubpath();
	painter.setPen(outline_pen(edge));
	painter.setBrush(QColor(206, 150, 44));
	painter.drawPath(back);

	painter.setPen(outline_pen(QColor(150, 150, 140), 0.8));
	painter.setBrush(QColor(250, 250, 244));
	painter.drawRect(QRectF(10.5, 15.5, 17, 10));

	QLinearGradient flapFill(0, 19, 0, 30);
	flapFill.setColorAt(0, QColor(255, 220, 110));
	flapFill.setColorAt(1, QColor(240, 184, 60));
	painter.setPen(outline_pen(edge));
	painter.setBrush(flapFill);
	painter.drawPolygon(QPolygonF({{11, 19.5}, {35, 19.5}, {31, 30}, {6.5, 30}}));
}

QPolygonF
left_arrow()
{
	return QPolygonF({{7, 20}, {19, 8}, {19, 15}, {33, 15}, {33, 25}, {19, 25}, {19, 32}});
}

void
draw_arrow(QPainter& painter, const QPolygonF& arrow)
{
	QLinearGradient fill(0, 8, 0, 32);
	fill.setColorAt(0, QColor(96, 150, 222));
	fill.setColorAt(1, QColor(36, 86, 168));
	painter.setPen(outline_pen(QColor(18, 46, 104)));
	painter.setBrush(fill);
	painter.drawPolygon(arrow);
}

void
draw_back(QPainter& painter)
{
	draw_arrow(painter, left_arrow());
}

void
draw_next(QPainter& painter)
{
	QPolygonF arrow = left_arrow();
	for (QPointF& point : arrow)
		point.setX(40 - point.x());
	draw_arrow(painter, arrow);
}

void
draw_show(QPainter& painter)
{
	painter.setPen(outline_pen(QColor(70, 70, 74)));
	painter.setBrush(QColor(60, 64, 72));
	painter.drawRoundedRect(QRectF(6.5, 9.5, 27, 21), 2, 2);
	painter.setBrush(QColor(248, 248, 248));
	painter.setPen(Qt::NoPen);
	painter.drawRect(QRectF(9, 12, 22, 16));

	painter.setPen(outline_pen(QColor(18, 92, 40)));
	painter.setBrush(QColor(48, 170, 80));
	painter.drawPolygon(QPolygonF({{16, 14}, {16, 26}, {26, 20}}));
}

void
draw_close(QPainter& painter)
{
	const QLineF strokes[] = {{12, 12, 28, 28}, {28, 12, 12, 28}};
	painter.setPen(QPen(QColor(110, 18, 18), 7.5, Qt::SolidLine, Qt::RoundCap));
	painter.drawLines(strokes, 2);
	painter.setPen(QPen(QColor(214, 48, 40), 5, Qt::SolidLine, Qt::RoundCap));
	painter.drawLines(strokes, 2);
}

void
draw_magnify(QPainter& painter)
{
	painter.setPen(QPen(QColor(92, 60, 28), 5, Qt::SolidLine, Qt::RoundCap));
	painter.drawLine(QLineF(24, 24, 32.5, 32.5));

	QRadialGradient glass(QPointF(14.5, 14.5), 10);
	glass.setColorAt(0, QColor(240, 248, 255));
	glass.setColorAt(1, QColor(170, 205, 235));
	painter.setPen(QPen(QColor(60, 62, 70), 3));
	painter.setBrush(glass);
	painter.drawEllipse(QPointF(17, 17), 9, 9);

	painter.setPen(QPen(QColor(255, 255, 255), 1.5, Qt::SolidLine, Qt::RoundCap));
	painter.setBrush(Qt::NoBrush);
	painter.drawArc(QRectF(11.5, 11.5, 11, 11), 100 * 16, 70 * 16);
}

void
draw_mouse(QPainter& painter)
{
	painter.setPen(outline_pen(QColor(60, 60, 64), 1.4));
	painter.setBrush(Qt::NoBrush);
	QPainterPath cable;
	cable.moveTo(20, 10);
	cable.cubicTo(20, 4, 27, 7, 32, 3);
	painter.drawPath(cable);

	const QRectF body(11.5, 10, 17, 24);
	QLinearGradient shell(body.left(), 0, body.right(), 0);
	shell.setColorAt(0, QColor(252, 252, 252));
	shell.setColorAt(1, QColor(205, 205, 210));
	painter.setBrush(shell);
	painter.drawRoundedRect(body, 8, 8);

	QPainterPath leftButton;
	leftButton.moveTo(20, 10);
	leftButton.lineTo(20, 19);
	leftButton.lineTo(11.5, 19);
	leftButton.lineTo(11.5, 18);
	leftButton.cubicTo(11.5, 13, 15, 10, 20, 10);
	painter.setBrush(QColor(110, 156, 220));
	painter.drawPath(leftButton);
	painter.drawLine(QLineF(20, 19, 28.5, 19));
}

// The maker's mark: three additive light discs on a dark plate.
QImage
fenwix_logo()
{
	QImage image(50, 20, QImage::Format_RGB32);
	image.fill(QColor(128, 128, 128));
	QPainter painter(&image);
	painter.setRenderHint(QPainter::Antialiasing);
	painter.setPen(outline_pen(QColor(60, 60, 60), 1));
	painter.setBrush(QColor(36, 36, 40));
	painter.drawRoundedRect(QRectF(1.5, 1.5, 47, 17), 4, 4);

	painter.setPen(Qt::NoPen);
	painter.setCompositionMode(QPainter::CompositionMode_Plus);
	const QColor lights[] = {QColor(210, 30, 30), QColor(30, 190, 40), QColor(40, 60, 220)};
	const qreal centres[] = {18, 25, 32};
	for (int i = 0; i < 3; i++) {
		painter.setBrush(lights[i]);
		painter.drawEllipse(QPointF(centres[i], 10), 6.5, 6.5);
	}
	return image;
}

// The program's name, its letters drawn as strokes.
QImage
glim_word()
{
	QImage image(33, 31, QImage::Format_RGB32);
	image.fill(kToolbarGrey);
	QPainter painter(&image);
	painter.setRenderHint(QPainter::Antialiasing);
	painter.setPen(QPen(QColor(34, 40, 64), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
	painter.setBrush(Qt::NoBrush);

	// The about window shows the picture in a view 20 units high: the word,
	// its descender and the underline all stay above that.
	QPainterPath letters;
	letters.addEllipse(QPointF(5.8, 8.8), 3.6, 3.6); // g: bowl
	letters.moveTo(9.6, 5.2);
	letters.lineTo(9.6, 14);
	letters.cubicTo(9.6, 17.6, 4.5, 18, 2.6, 16.2); // g: tail
	letters.moveTo(14, 1.6);
	letters.lineTo(14, 12.6); // l
	letters.moveTo(18, 5.6);
	letters.lineTo(18, 12.6); // i
	letters.moveTo(22.4, 5.6);
	letters.lineTo(22.4, 12.6); // m: stem
	letters.moveTo(22.4, 9);
	letters.cubicTo(22.4, 5, 26.6, 5, 26.6, 9);
	letters.lineTo(26.6, 12.6);
	letters.moveTo(26.6, 9);
	letters.cubicTo(26.6, 5, 30.8, 5, 30.8, 9);
	letters.lineTo(30.8, 12.6);
	painter.drawPath(letters);

	painter.setPen(Qt::NoPen);
	painter.setBrush(QColor(34, 40, 64));
	painter.drawEllipse(QPointF(18, 2.6), 1.4, 1.4); // i: dot
	painter.setBrush(QColor(200, 120, 30));
	painter.drawRoundedRect(QRectF(13, 16, 18.5, 2), 1, 1); // underline
	return image;
}

// A framed landscape: the picture of the application icon. Coordinates are
// those of glim.svg (32 x 32).
void
draw_landscape(QPainter& painter)
{
	painter.setPen(outline_pen(QColor(52, 52, 58), 1));
	painter.setBrush(QColor(246, 244, 236));
	painter.drawRoundedRect(QRectF(2.5, 4.5, 27, 23), 2, 2);

	QLinearGradient sky(0, 7, 0, 25);
	sky.setColorAt(0, QColor(96, 160, 226));
	sky.setColorAt(1, QColor(196, 226, 248));
	painter.setPen(Qt::NoPen);
	painter.setBrush(sky);
	const QRectF picture(5, 7, 22, 18);
	painter.drawRect(picture);

	painter.save();
	painter.setClipRect(picture);
	painter.setBrush(QColor(252, 206, 58));
	painter.drawEllipse(QPointF(21, 12), 3, 3);
	QPainterPath hill;
	hill.moveTo(5, 21);
	hill.cubicTo(10, 13, 14, 13, 19, 20);
	hill.lineTo(19, 25);
	hill.lineTo(5, 25);
	hill.closeSubpath();
	painter.setBrush(QColor(86, 158, 78));
	painter.drawPath(hill);
	QPainterPath front;
	front.moveTo(9, 25);
	front.cubicTo(15, 17, 22, 16, 27, 20);
	front.lineTo(27, 25);
	front.closeSubpath();
	painter.setBrush(QColor(44, 116, 58));
	painter.drawPath(front);
	painter.restore();
}

QImage
jpeg_logo()
{
	QImage image(32, 30, QImage::Format_RGB32);
	image.fill(kToolbarGrey);
	QPainter painter(&image);
	painter.setRenderHint(QPainter::Antialiasing);
	painter.translate(0, -1);
	draw_landscape(painter);
	return image;
}

} // namespace

std::vector<Picture>
all_pictures()
{
	struct Button {
		int32 id;
		const char* up;
		const char* down;
		DrawFunction draw;
	};
	const Button buttons[] = {
		{1, "OpenUp", "OpenDown", draw_open},
		{3, "BackUp", "BackDown", draw_back},
		{5, "NextUp", "NextDown", draw_next},
		{7, "ShowUp", "ShowDown", draw_show},
		{9, "CloseUp", "CloseDown", draw_close},
		{14, "MagnifyUp", "MagnifyDown", draw_magnify},
		{16, "MouseUp", "MouseDown", draw_mouse},
	};

	std::vector<Picture> pictures;
	for (const Button& button : buttons) {
		pictures.push_back(
			{button.id, button.up, Picture::kBmp, button_picture(button.draw, false)});
		pictures.push_back(
			{button.id + 1, button.down, Picture::kBmp, button_picture(button.draw, true)});
		if (button.id == 9) {
			pictures.push_back({11, "FenwixLogo", Picture::kBmp, fenwix_logo()});
			pictures.push_back({12, "GlimLogo", Picture::kJpeg, jpeg_logo()});
			pictures.push_back({13, "GlimWord", Picture::kBmp, glim_word()});
		}
	}
	return pictures;
}

QImage
app_icon(int size)
{
	QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
	image.fill(Qt::transparent);
	QPainter painter(&image);
	painter.setRenderHint(QPainter::Antialiasing);
	painter.scale(size / 32.0, size / 32.0);
	draw_landscape(painter);
	return image;
}
