#ifndef _STRING_VIEW_H
#define _STRING_VIEW_H

#include <string>

#include <View.h>

// One line of text, centred vertically, aligned as set. It takes its
// parent's view colour when attached.
class BStringView : public BView {
public:
	BStringView(BRect frame, const char* name, const char* text,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP, uint32 flags = B_WILL_DRAW);
	virtual ~BStringView();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);
	virtual void GetPreferredSize(float* _width, float* _height);

	void SetText(const char* text);
	const char* Text() const { return fText.c_str(); }

private:
	std::string fText;
};

#endif
