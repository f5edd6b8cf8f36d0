#ifndef _STATUS_BAR_H
#define _STATUS_BAR_H

#include <string>

#include <View.h>

// A progress bar with a label and a trailing label on the line above it
// and texts after each. The bar sits below one line of text (always
// reserved), BarHeight() pixels high. Calls from another thread that holds
// the window's lock are redrawn through the GUI thread.
class BStatusBar : public BView {
public:
	BStatusBar(BRect frame, const char* name, const char* label = NULL,
		const char* trailingLabel = NULL);
	virtual ~BStatusBar();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);

	// Back to 0 of 100, without texts, with new labels.
	virtual void Reset(const char* label = NULL, const char* trailingLabel = NULL);
	// Adds delta to the value (limited to the maximum) and sets the texts
	// that are not NULL.
	virtual void Update(float delta, const char* text = NULL, const char* trailingText = NULL);
	virtual void SetTo(float value, const char* text = NULL, const char* trailingText = NULL);
	float CurrentValue() const { return fCurrent; }
	virtual void SetMaxValue(float max);
	float MaxValue() const { return fMax; }
	virtual void SetBarHeight(float height);
	float BarHeight() const { return fBarHeight; }
	virtual void SetText(const char* text);
	const char* Text() const { return fText.c_str(); }
	const char* Label() const { return fLabel.c_str(); }

private:
	BRect _BarFrame() const;

	std::string fLabel;
	std::string fTrailingLabel;
	std::string fText;
	std::string fTrailingText;
	float fMax;
	float fCurrent;
	float fBarHeight;
	rgb_color fBarColor;
};

#endif
