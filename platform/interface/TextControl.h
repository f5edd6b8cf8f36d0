#ifndef _TEXT_CONTROL_H
#define _TEXT_CONTROL_H

#include <memory>
#include <string>

#include <Control.h>

namespace BPrivate {
class TextControlEdit;
}

// A label and a one-line text field, the field starting at the divider.
// On screen the field is the toolkit's line edit; the text is kept here as
// the bytes given (SetText does not check that they are UTF-8; the field
// shows them as UTF-8, and an edit by the user stores what the field holds
// as UTF-8). Text() is valid for any caller holding the window's lock,
// until the text changes. The control is invoked when the user presses
// return, or the field loses the keyboard focus, after changing the text;
// the modification message (if any) is sent at every change the user
// makes. A disabled control shows greyed and refuses typing.
class BTextControl : public BControl {
public:
	BTextControl(BRect frame, const char* name, const char* label, const char* text,
		BMessage* message, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BTextControl();

	virtual void Draw(BRect updateRect);
	virtual void MakeFocus(bool focus = true);
	virtual void KeyDown(const char* bytes, int32 numBytes);
	virtual void GetPreferredSize(float* _width, float* _height);

	virtual void SetText(const char* text);
	const char* Text() const { return fText.c_str(); }
	virtual void SetEnabled(bool enabled);
	virtual void SetLabel(const char* label);
	virtual void SetDivider(float position);


private:
	friend class BPrivate::TextControlEdit;

	virtual QWidget* _CreateWidget(QWidget* parent);
	virtual void _WidgetStateChanged();
	BRect _TextFrame() const;
	void _TextEdited();
	void _Commit();

	std::string fText;
	float fDivider;
	bool fModified;
	bool fFocusShown;
};

#endif
