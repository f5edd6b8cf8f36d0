#include "ScrollBar.h"

#include <algorithm>
#include <cmath>

#include <QScrollBar>
#include <QSignalBlocker>

#include <Window.h>

#include "InterfacePrivate.h"

namespace BPrivate {

// The toolkit's scroll bar. User changes reach the BScrollBar with its
// window locked, through the GUI thread's retrying path, so a worker that
// holds the window never blocks the GUI thread.
class ScrollBarWidget : public QScrollBar {
public:
	ScrollBarWidget(BScrollBar* bar, QWidget* parent) :
		QScrollBar(bar->Orientation() == B_HORIZONTAL ? Qt::Horizontal : Qt::Vertical, parent),
		fWindowToken(bar->Window()->_Token()),
		fBarToken(bar->_Token())
	{
		setFocusPolicy(Qt::NoFocus);
		connect(this, &QScrollBar::valueChanged, this, [this](int value) {
			run_for_view(fWindowToken, fBarToken,
				[value](BView* view) { static_cast<BScrollBar*>(view)->SetValue(value); });
		});
	}

private:
	int32 fWindowToken;
	int32 fBarToken;
};

} // namespace BPrivate


BScrollBar::BScrollBar(BRect frame, const char* name, BView* target, float min, float max,
	orientation direction) :
	BView(frame, name,
		direction == B_VERTICAL ? B_FOLLOW_TOP_BOTTOM | B_FOLLOW_RIGHT
								: B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM,
		B_WILL_DRAW | B_FRAME_EVENTS),
	fTarget(NULL),
	fOrientation(direction),
	fMin(min),
	fMax(std::max(min, max)),
	fValue(min),
	fProportion(0),
	fSmallStep(1),
	fLargeStep(10)
{
	SetTarget(target);
}


BScrollBar::~BScrollBar()
{
	SetTarget((BView*)NULL);
}


void
BScrollBar::ValueChanged(float newValue)
{
	if (fTarget == NULL)
		return;
	BPoint where = fTarget->Bounds().LeftTop();
	if (fOrientation == B_HORIZONTAL)
		where.x = newValue;
	else
		where.y = newValue;
	fTarget->ScrollTo(where);
}


void
BScrollBar::SetValue(float value)
{
	value = std::clamp(value, fMin, fMax);
	if (value == fValue)
		return;
	fValue = value;
	ValueChanged(value);
	_SyncWidget();
}


void
BScrollBar::SetProportion(float proportion)
{
	fProportion = std::clamp(proportion, 0.0f, 1.0f);
	_SyncWidget();
}


void
BScrollBar::SetRange(float min, float max)
{
	fMin = min;
	fMax = std::max(min, max);
	float clamped = std::clamp(fValue, fMin, fMax);
	if (clamped != fValue)
		SetValue(clamped);
	_SyncWidget();
}


void
BScrollBar::GetRange(float* _min, float* _max) const
{
	if (_min != NULL)
		*_min = fMin;
	if (_max != NULL)
		*_max = fMax;
}


void
BScrollBar::SetSteps(float smallStep, float largeStep)
{
	fSmallStep = smallStep;
	fLargeStep = largeStep;
	_SyncWidget();
}


void
BScrollBar::GetSteps(float* _smallStep, float* _largeStep) const
{
	if (_smallStep != NULL)
		*_smallStep = fSmallStep;
	if (_largeStep != NULL)
		*_largeStep = fLargeStep;
}


void
BScrollBar::SetTarget(BView* target)
{
	if (fTarget != NULL) {
		if (fOrientation == B_HORIZONTAL && fTarget->fHorizontalBar == this)
			fTarget->fHorizontalBar = NULL;
		else if (fOrientation == B_VERTICAL && fTarget->fVerticalBar == this)
			fTarget->fVerticalBar = NULL;
	}
	fTarget = target;
	if (target == NULL)
		return;
	if (fOrientation == B_HORIZONTAL)
		target->fHorizontalBar = this;
	else
		target->fVerticalBar = this;
}


void
BScrollBar::SetTarget(const char* targetName)
{
	if (targetName == NULL || Window() == NULL)
		return;
	SetTarget(Window()->FindView(targetName));
}


void
BScrollBar::_TargetScrolled(float position)
{
	if (position == fValue)
		return;
	fValue = position;
	_SyncWidget();
}


void
BScrollBar::_TargetGone(BView* target)
{
	if (fTarget == target)
		fTarget = NULL;
}


QWidget*
BScrollBar::_CreateWidget(QWidget* parent)
{
	return new BPrivate::ScrollBarWidget(this, parent);
}


void
BScrollBar::_WidgetStateChanged()
{
	QScrollBar* bar = static_cast<QScrollBar*>(fWidget);
	QSignalBlocker blocker(bar);
	bar->setRange((int)std::floor(fMin), (int)std::ceil(fMax));
	bar->setSingleStep(std::max(1, (int)std::lround(fSmallStep)));
	bar->setPageStep(std::max(1, (int)std::lround(fLargeStep)));
	bar->setValue((int)std::lround(fValue));
	bar->setEnabled(fMax > fMin);
}
