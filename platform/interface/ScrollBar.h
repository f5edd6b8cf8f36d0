#ifndef _SCROLL_BAR_H
#define _SCROLL_BAR_H

#include <View.h>

namespace BPrivate {
class ScrollBarWidget;
}

// A scroll bar whose value is its target view's scroll offset on its axis:
// SetValue scrolls the target (through the ValueChanged hook), and the
// target's ScrollTo moves the bar. Range, proportion and steps are kept as
// given; the large step is also what a click in the trough scrolls. Call it
// with the window locked; changes made on another thread reach the widget
// through the GUI thread.
class BScrollBar : public BView {
public:
	BScrollBar(BRect frame, const char* name, BView* target, float min, float max,
		orientation direction);
	virtual ~BScrollBar();

	virtual void ValueChanged(float newValue);

	void SetValue(float value);
	float Value() const { return fValue; }
	void SetProportion(float proportion);
	float Proportion() const { return fProportion; }
	void SetRange(float min, float max);
	void GetRange(float* _min, float* _max) const;
	void SetSteps(float smallStep, float largeStep);
	void GetSteps(float* _smallStep, float* _largeStep) const;
	void SetTarget(BView* target);
	void SetTarget(const char* targetName);
	BView* Target() const { return fTarget; }
	orientation Orientation() const { return fOrientation; }

private:
	friend class BView;
	friend class BPrivate::ScrollBarWidget;

	virtual QWidget* _CreateWidget(QWidget* parent);
	virtual void _WidgetStateChanged();
	void _TargetScrolled(float position);
	void _TargetGone(BView* target);

	BView* fTarget;
	orientation fOrientation;
	float fMin;
	float fMax;
	float fValue;
	float fProportion;
	float fSmallStep;
	float fLargeStep;
};

#endif
