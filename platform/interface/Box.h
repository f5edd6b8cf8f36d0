#ifndef _BOX_H
#define _BOX_H

#include <string>

#include <View.h>

// A frame around a group of views, which are its children, with an optional
// label in its top edge. It takes its parent's view colour when attached.
class BBox : public BView {
public:
	BBox(BRect frame, const char* name = NULL,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE_JUMP,
		border_style border = B_FANCY_BORDER);
	virtual ~BBox();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);

	// NULL removes the label.
	void SetLabel(const char* label);
	const char* Label() const;
	// The area inside the border (and under the label).

private:
	float _TopInset() const;

	std::string fLabel;
	bool fHasLabel;
	border_style fBorder;
};

#endif
