#include <Rect.h>

#include <algorithm>

const BPoint B_ORIGIN(0, 0);

BRect&
BRect::InsetBy(float dx, float dy)
{
	left += dx;
	right -= dx;
	top += dy;
	bottom -= dy;
	return *this;
}

BRect&
BRect::OffsetBy(float dx, float dy)
{
	left += dx;
	right += dx;
	top += dy;
	bottom += dy;
	return *this;
}

BRect&
BRect::OffsetTo(float x, float y)
{
	right += x - left;
	bottom += y - top;
	left = x;
	top = y;
	return *this;
}

BRect
BRect::InsetByCopy(float dx, float dy) const
{
	BRect copy(*this);
	return copy.InsetBy(dx, dy);
}

BRect
BRect::OffsetByCopy(float dx, float dy) const
{
	BRect copy(*this);
	return copy.OffsetBy(dx, dy);
}

BRect
BRect::OffsetToCopy(float x, float y) const
{
	BRect copy(*this);
	return copy.OffsetTo(x, y);
}

bool
BRect::Contains(BPoint p) const
{
	return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
}

bool
BRect::Contains(BRect r) const
{
	return r.left >= left && r.right <= right && r.top >= top && r.bottom <= bottom;
}

bool
BRect::Intersects(BRect r) const
{
	if (!IsValid() || !r.IsValid())
		return false;
	return !(r.left > right || r.right < left || r.top > bottom || r.bottom < top);
}

BRect
BRect::operator&(BRect r) const
{
	return BRect(std::max(left, r.left), std::max(top, r.top), std::min(right, r.right),
		std::min(bottom, r.bottom));
}

BRect
BRect::operator|(BRect r) const
{
	return BRect(std::min(left, r.left), std::min(top, r.top), std::max(right, r.right),
		std::max(bottom, r.bottom));
}
