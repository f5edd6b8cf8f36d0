#include <Rect.h>

#include <gtest/gtest.h>

TEST(RectTest, OffsetInsetIntersectUnion)
{
	BRect r(50, 50, 400, 400);
	r.OffsetBy(80, 80);
	EXPECT_EQ(r, BRect(130, 130, 480, 480));
	r.OffsetTo(0, 0);
	EXPECT_EQ(r, BRect(0, 0, 350, 350));
	EXPECT_EQ(BRect(0, 0, 10, 10).InsetByCopy(-4, -4), BRect(-4, -4, 14, 14));

	BRect a(0, 0, 10, 10), b(5, 5, 20, 20), c(11, 0, 12, 1);
	EXPECT_TRUE(a.Intersects(b));
	EXPECT_FALSE(a.Intersects(c));
	EXPECT_EQ(a & b, BRect(5, 5, 10, 10));
	EXPECT_EQ(a | b, BRect(0, 0, 20, 20));
	EXPECT_FALSE(BRect().IsValid());
	EXPECT_FALSE(BRect().Intersects(a));
}
