#include "Control.h"

#include <Message.h>
#include <Window.h>

BControl::BControl(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags) :
	BView(frame, name, resizingMode, flags),
	BInvoker(message, NULL),
	fLabel(label != NULL ? label : ""),
	fValue(B_CONTROL_OFF),
	fEnabled(true),
	fTracking(false)
{
	SetViewColor(216, 216, 216);
	SetLowColor(216, 216, 216);
}


BControl::~BControl()
{
}


void
BControl::AttachedToWindow()
{
	BView* parent = Parent();
	if (parent != NULL && parent->ViewColor() != B_TRANSPARENT_COLOR) {
		SetViewColor(parent->ViewColor());
		SetLowColor(parent->ViewColor());
	}
	if (!Messenger().IsValid())
		SetTarget(Window());
}


void
BControl::MakeFocus(bool focus)
{
	if (focus && !fEnabled)
		return;
	BView::MakeFocus(focus);
}


void
BControl::KeyDown(const char* bytes, int32 numBytes)
{
	if (fEnabled && numBytes == 1 && (bytes[0] == B_SPACE || bytes[0] == B_RETURN)) {
		Invoke();
		return;
	}
	BView::KeyDown(bytes, numBytes);
}


void
BControl::SetLabel(const char* label)
{
	fLabel = label != NULL ? label : "";
	Invalidate();
}


void
BControl::SetValue(int32 value)
{
	if (value == fValue)
		return;
	fValue = value;
	Invalidate();
}


void
BControl::SetEnabled(bool enabled)
{
	if (enabled == fEnabled)
		return;
	fEnabled = enabled;
	if (!enabled && IsFocus())
		MakeFocus(false);
	Invalidate();
}


status_t
BControl::Invoke(BMessage* message)
{
	if (message == NULL)
		message = Message();
	if (message == NULL)
		return B_BAD_VALUE;
	BMessage copy(*message);
	copy.AddInt64("when", system_time());
	copy.AddPointer("source", this);
	copy.AddInt32("be:value", fValue);
	return BInvoker::Invoke(&copy);
}
