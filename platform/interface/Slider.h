#ifndef _SLIDER_H
#define _SLIDER_H

#include <memory>
#include <string>

#include <Control.h>

enum hash_mark_location {
	B_HASH_MARKS_NONE = 0,
	B_HASH_MARKS_TOP = 1,
	B_HASH_MARKS_LEFT = 1,
	B_HASH_MARKS_BOTTOM = 2,
	B_HASH_MARKS_RIGHT = 2,
	B_HASH_MARKS_BOTH = 3
};

enum thumb_style {
	B_BLOCK_THUMB,
	B_TRIANGLE_THUMB
};

// A horizontal slider over a range of whole numbers: its label on top, the
// bar with its thumb, hash marks above and/or below the bar, and the limit
// labels under the ends. The value is always within the range. Dragging the
// thumb (or clicking on the bar) and the arrow, home and end keys change the
// value: the modification message (if any) is sent at every change while
// dragging, and the slider is invoked when the drag ends with a new value,
// and at every key. Attached to a window, the slider takes the height its
// parts need, keeping its width.
class BSlider : public BControl {
public:
	BSlider(BRect frame, const char* name, const char* label, BMessage* message, int32 minValue,
		int32 maxValue, thumb_style thumbType = B_BLOCK_THUMB,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_NAVIGABLE | B_WILL_DRAW | B_FRAME_EVENTS);
	virtual ~BSlider();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void KeyDown(const char* bytes, int32 numBytes);
	virtual void GetPreferredSize(float* _width, float* _height);

	// Clamped to the limits.
	virtual void SetValue(int32 value);
	int32 ValueForPoint(BPoint point) const;
	// The value as a fraction of the range, 0 to 1.
	float Position() const;

	// NULL labels show nothing at that end; the getters then return NULL.
	virtual void SetLimitLabels(const char* minLabel, const char* maxLabel);


	virtual void SetHashMarks(hash_mark_location where);
	virtual void SetHashMarkCount(int32 count);
	orientation Orientation() const { return B_HORIZONTAL; }

	// The parts, in the view's coordinates.
	BRect BarFrame() const;
	BRect ThumbFrame() const;

private:
	struct Layout;
	Layout _Layout() const;
	void _DrawBar(const Layout& layout);
	void _DrawHashMarks(const Layout& layout);
	void _DrawThumb();
	void _DrawLabels(const Layout& layout);
	void _SetValueByUser(int64 value, bool invoke);

	int32 fMinValue;
	int32 fMaxValue;
	thumb_style fStyle;
	hash_mark_location fHashMarks;
	int32 fHashMarkCount;
	std::string fMinLimitLabel;
	std::string fMaxLimitLabel;
	bool fHasMinLimitLabel;
	bool fHasMaxLimitLabel;
};

#endif
