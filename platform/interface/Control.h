#ifndef _CONTROL_H
#define _CONTROL_H

#include <string>

#include <Invoker.h>
#include <View.h>

enum {
	B_CONTROL_OFF = 0,
	B_CONTROL_ON = 1
};

// A view that the user sets or triggers, which then sends its message to its
// target. Without a target of its own when it is attached, the target is its
// window. Invoke() adds "when", "source" (the control) and "be:value".
class BControl : public BView, public BInvoker {
public:
	BControl(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode, uint32 flags);
	virtual ~BControl();

	virtual void AttachedToWindow();
	virtual void MakeFocus(bool focus = true);
	virtual void KeyDown(const char* bytes, int32 numBytes);

	virtual void SetLabel(const char* label);
	const char* Label() const { return fLabel.c_str(); }
	virtual void SetValue(int32 value);
	int32 Value() const { return fValue; }
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const { return fEnabled; }

	virtual status_t Invoke(BMessage* message = NULL);

protected:
	bool IsTracking() const { return fTracking; }
	void SetTracking(bool tracking) { fTracking = tracking; }
	void SetValueNoUpdate(int32 value) { fValue = value; }

private:
	std::string fLabel;
	int32 fValue;
	bool fEnabled;
	bool fTracking;
};

#endif
