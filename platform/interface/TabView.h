#ifndef _TAB_VIEW_H
#define _TAB_VIEW_H

#include <string>
#include <vector>

#include <View.h>

class BTabView;

// One tab of a BTabView: a label and the view it shows. The tab owns its
// view and deletes it with itself. Without a label of its own the tab shows
// its view's name.
class BTab {
public:
	BTab(BView* contents = NULL);
	virtual ~BTab();

	const char* Label() const;
	virtual void SetLabel(const char* label);

	bool IsSelected() const { return fSelected; }
	// Adds the tab's view to owner (the tab view's container), or takes it
	// out of its parent again.
	virtual void Select(BView* owner);
	virtual void Deselect();

	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const { return fEnabled; }
	void MakeFocus(bool focus = true);
	bool IsFocus() const { return fFocus; }

	// The old view is deleted; a selected tab shows the new one in its place.
	virtual void SetView(BView* contents);
	BView* View() const { return fView; }

private:
	friend class BTabView;

	BTab(const BTab&) = delete;
	BTab& operator=(const BTab&) = delete;

	void _Changed();

	std::string fLabel;
	bool fHasLabel;
	BView* fView;
	BTabView* fTabView;
	bool fSelected;
	bool fEnabled;
	bool fFocus;
};

// Tabs along the top and, under them, a container view that holds the view
// of the selected tab only: the tab views are in the view hierarchy only
// while selected, at the frames their makers gave them, in the container's
// coordinates. The first tab added is selected. Clicking a tab selects it;
// with the keyboard focus, the arrow keys move between tabs and space or
// return selects one. The tab view owns its tabs.
class BTabView : public BView {
public:
	BTabView(BRect frame, const char* name, button_width width = B_WIDTH_AS_USUAL,
		uint32 resizingMode = B_FOLLOW_ALL,
		uint32 flags = B_FULL_UPDATE_ON_RESIZE | B_WILL_DRAW | B_NAVIGABLE_JUMP | B_FRAME_EVENTS
			| B_NAVIGABLE);
	virtual ~BTabView();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void KeyDown(const char* bytes, int32 numBytes);
	virtual void MakeFocus(bool focus = true);
	using BView::SetViewColor;
	virtual void SetViewColor(rgb_color color);

	virtual void Select(int32 index);
	int32 Selection() const { return fSelection; }
	virtual void SetFocusTab(int32 index, bool focus);

	// With tab NULL a new tab is made for target; otherwise target becomes
	// the tab's view (when not NULL).
	virtual void AddTab(BView* target, BTab* tab = NULL);
	// The tab leaves the tab view with its view; the caller deletes it.
	BTab* TabAt(int32 index) const;
	int32 CountTabs() const { return (int32)fTabs.size(); }
	int32 IndexOf(BTab* tab) const;
	BView* ViewForTab(int32 index) const;
	BView* ContainerView() const { return fContainer; }

	float TabHeight() const { return fTabHeight; }
	// In the tab view's coordinates.
	virtual BRect TabFrame(int32 index) const;

private:
	friend class BTab;

	float _TabWidth(int32 index) const;
	void _DrawBox();
	void _DrawTab(int32 index);
	void _PlaceContainer();

	std::vector<BTab*> fTabs;
	BView* fContainer;
	button_width fTabWidth;
	float fTabHeight;
	int32 fSelection;
	int32 fFocus;
};

#endif
