#ifndef _RECT_H
#define _RECT_H

#include <cmath>

#include <Point.h>

// A rectangle with inclusive edges: Width() is right - left, one less than
// the number of pixels it covers. A rectangle whose right is left of its left
// (or bottom above top) is invalid.
class BRect {
public:
	float left;
	float top;
	float right;
	float bottom;

	constexpr BRect() :
		left(0),
		top(0),
		right(-1),
		bottom(-1)
	{
	}
	constexpr BRect(float l, float t, float r, float b) :
		left(l),
		top(t),
		right(r),
		bottom(b)
	{
	}
	constexpr BRect(BPoint leftTop, BPoint rightBottom) :
		left(leftTop.x),
		top(leftTop.y),
		right(rightBottom.x),
		bottom(rightBottom.y)
	{
	}
	constexpr BRect(float side) :
		left(0),
		top(0),
		right(side),
		bottom(side)
	{
	}

	void Set(float l, float t, float r, float b)
	{
		left = l;
		top = t;
		right = r;
		bottom = b;
	}

	BPoint LeftTop() const { return BPoint(left, top); }
	BPoint RightBottom() const { return BPoint(right, bottom); }
	BPoint LeftBottom() const { return BPoint(left, bottom); }
	BPoint RightTop() const { return BPoint(right, top); }

	float Width() const { return right - left; }
	float Height() const { return bottom - top; }
	int32 IntegerWidth() const { return (int32)std::ceil(right - left); }

	bool IsValid() const { return left <= right && top <= bottom; }

	BRect& InsetBy(float dx, float dy);
	BRect& InsetBy(BPoint d) { return InsetBy(d.x, d.y); }
	BRect& OffsetBy(float dx, float dy);
	BRect& OffsetBy(BPoint d) { return OffsetBy(d.x, d.y); }
	BRect& OffsetTo(float x, float y);
	BRect& OffsetTo(BPoint p) { return OffsetTo(p.x, p.y); }
	BRect InsetByCopy(float dx, float dy) const;
	BRect OffsetByCopy(float dx, float dy) const;
	BRect OffsetToCopy(float x, float y) const;

	bool Contains(BPoint p) const;
	bool Contains(BRect r) const;
	bool Intersects(BRect r) const;

	// Intersection and union.
	BRect operator&(BRect r) const;
	BRect operator|(BRect r) const;

	bool operator==(BRect r) const
	{
		return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
	}
	bool operator!=(BRect r) const { return !(*this == r); }
};

#endif
