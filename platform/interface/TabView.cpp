#include "TabView.h"

#include <algorithm>
#include <cmath>

#include "ControlDrawing.h"

namespace {

const float kUsualTabWidth = 100;
const float kLabelPadding = 20;
const float kFirstTabLeft = 4;
const float kBoxInset = 3;

const rgb_color kLightColor = {255, 255, 255, 255};
const rgb_color kShadowColor = {120, 120, 120, 255};
const rgb_color kBackTabColor = {200, 200, 200, 255};

} // namespace


// #pragma mark - BTab


BTab::BTab(BView* contents) :
	fHasLabel(false),
	fView(contents),
	fTabView(NULL),
	fSelected(false),
	fEnabled(true),
	fFocus(false)
{
}


BTab::~BTab()
{
	if (fView == NULL)
		return;
	fView->RemoveSelf();
	delete fView;
}


const char*
BTab::Label() const
{
	if (fHasLabel)
		return fLabel.c_str();
	return fView != NULL ? fView->Name() : NULL;
}


void
BTab::SetLabel(const char* label)
{
	fHasLabel = label != NULL;
	fLabel = label != NULL ? label : "";
	_Changed();
}


void
BTab::Select(BView* owner)
{
	fSelected = true;
	if (owner != NULL && fView != NULL && fView->Parent() != owner) {
		fView->RemoveSelf();
		owner->AddChild(fView);
	}
	_Changed();
}


void
BTab::Deselect()
{
	fSelected = false;
	if (fView != NULL)
		fView->RemoveSelf();
	_Changed();
}


void
BTab::SetEnabled(bool enabled)
{
	fEnabled = enabled;
	_Changed();
}


void
BTab::MakeFocus(bool focus)
{
	fFocus = focus;
	_Changed();
}


void
BTab::SetView(BView* contents)
{
	if (contents == fView)
		return;
	BView* owner = fView != NULL ? fView->Parent() : NULL;
	if (fView != NULL) {
		fView->RemoveSelf();
		delete fView;
	}
	fView = contents;
	if (fSelected && fTabView != NULL)
		owner = fTabView->ContainerView();
	if (fSelected && owner != NULL && fView != NULL)
		owner->AddChild(fView);
}


void
BTab::_Changed()
{
	if (fTabView != NULL)
		fTabView->Invalidate();
}


// #pragma mark - BTabView


BTabView::BTabView(BRect frame, const char* name, button_width width, uint32 resizingMode,
	uint32 flags) :
	BView(frame, name, resizingMode, flags),
	fContainer(NULL),
	fTabWidth(width),
	fTabHeight(0),
	fSelection(-1),
	fFocus(-1)
{
	font_height height;
	GetFontHeight(&height);
	fTabHeight = std::ceil(height.ascent + height.descent) + 8;
	fContainer = new BView(BRect(0, 0, 0, 0), "view container", B_FOLLOW_ALL, 0);
	_PlaceContainer();
	AddChild(fContainer);
}


BTabView::~BTabView()
{
	for (BTab* tab : fTabs) {
		tab->fTabView = NULL;
		delete tab;
	}
	fTabs.clear();
}


void
BTabView::AttachedToWindow()
{
	fContainer->SetViewColor(ViewColor());
	if (fSelection < 0 && CountTabs() > 0)
		Select(0);
}


void
BTabView::SetViewColor(rgb_color color)
{
	BView::SetViewColor(color);
	fContainer->SetViewColor(color);
}


void
BTabView::_PlaceContainer()
{
	BRect bounds = Bounds();
	BRect frame(bounds.left + kBoxInset, bounds.top + fTabHeight + 2, bounds.right - kBoxInset,
		bounds.bottom - kBoxInset);
	fContainer->MoveTo(frame.LeftTop());
	fContainer->ResizeTo(std::max(frame.Width(), 0.0f), std::max(frame.Height(), 0.0f));
}


// #pragma mark - tabs


void
BTabView::AddTab(BView* target, BTab* tab)
{
	if (tab == NULL)
		tab = new BTab(target);
	else if (target != NULL)
		tab->SetView(target);
	fTabs.push_back(tab);
	tab->fTabView = this;
	if (CountTabs() == 1)
		Select(0);
	Invalidate();
}


BTab*
BTabView::TabAt(int32 index) const
{
	if (index < 0 || index >= CountTabs())
		return NULL;
	return fTabs[index];
}


int32
BTabView::IndexOf(BTab* tab) const
{
	auto found = std::find(fTabs.begin(), fTabs.end(), tab);
	return found == fTabs.end() ? -1 : (int32)(found - fTabs.begin());
}


BView*
BTabView::ViewForTab(int32 index) const
{
	BTab* tab = TabAt(index);
	return tab != NULL ? tab->View() : NULL;
}


void
BTabView::Select(int32 index)
{
	BTab* tab = TabAt(index);
	if (tab == NULL || index == fSelection)
		return;
	if (BTab* old = TabAt(fSelection))
		old->Deselect();
	fSelection = index;
	tab->Select(fContainer);
	Invalidate();
}


void
BTabView::SetFocusTab(int32 index, bool focus)
{
	if (BTab* old = TabAt(fFocus))
		old->MakeFocus(false);
	fFocus = -1;
	BTab* tab = TabAt(index);
	if (tab != NULL && focus) {
		tab->MakeFocus(true);
		fFocus = index;
	}
	Invalidate();
}


float
BTabView::_TabWidth(int32 index) const
{
	auto labelWidth = [this](int32 i) {
		const char* label = fTabs[i]->Label();
		return std::ceil(StringWidth(label != NULL ? label : "")) + kLabelPadding;
	};
	switch (fTabWidth) {
		case B_WIDTH_FROM_LABEL:
			return labelWidth(index);
		case B_WIDTH_FROM_WIDEST: {
			float widest = 0;
			for (int32 i = 0; i < CountTabs(); i++)
				widest = std::max(widest, labelWidth(i));
			return widest;
		}
		default:
			return std::max(kUsualTabWidth, labelWidth(index));
	}
}


BRect
BTabView::TabFrame(int32 index) const
{
	if (index < 0 || index >= CountTabs())
		return BRect();
	BRect bounds = Bounds();
	float left = bounds.left + kFirstTabLeft;
	for (int32 i = 0; i < index; i++)
		left += _TabWidth(i);
	return BRect(left, bounds.top, left + _TabWidth(index) - 1, bounds.top + fTabHeight - 1);
}


// #pragma mark - drawing


void
BTabView::Draw(BRect)
{
	_DrawBox();
	for (int32 i = 0; i < CountTabs(); i++) {
		if (i != fSelection)
			_DrawTab(i);
	}
	if (fSelection >= 0)
		_DrawTab(fSelection);
}


void
BTabView::_DrawBox()
{
	BRect bounds = Bounds();
	BRect box(bounds.left, bounds.top + fTabHeight - 1, bounds.right, bounds.bottom);
	SetHighColor(kLightColor);
	StrokeLine(box.LeftBottom(), box.LeftTop());
	StrokeLine(box.RightTop());
	SetHighColor(kShadowColor);
	StrokeLine(box.RightTop(), box.RightBottom());
	StrokeLine(box.LeftBottom());
}


void
BTabView::_DrawTab(int32 index)
{
	BTab* tab = fTabs[index];
	BRect frame = TabFrame(index);
	bool selected = index == fSelection;
	if (!selected)
		frame.top += 2;
	SetHighColor(selected ? ViewColor() : kBackTabColor);
	FillRect(BRect(frame.left + 1, frame.top + 1, frame.right - 1, frame.bottom));
	SetHighColor(kLightColor);
	StrokeLine(BPoint(frame.left, frame.bottom), BPoint(frame.left, frame.top + 2));
	StrokeLine(BPoint(frame.left + 2, frame.top), BPoint(frame.right - 2, frame.top));
	SetHighColor(kShadowColor);
	StrokeLine(BPoint(frame.right, frame.top + 2), BPoint(frame.right, frame.bottom));
	if (!selected)
		StrokeLine(BPoint(frame.left, frame.bottom), BPoint(frame.right, frame.bottom));

	const char* label = tab->Label() != NULL ? tab->Label() : "";
	float width = StringWidth(label);
	BPoint where(frame.left + std::floor((frame.Width() + 1 - width) / 2),
		BPrivate::centered_baseline(this, frame));
	BPrivate::draw_text(this, label, where, tab->IsEnabled());
	if (tab->IsFocus() && IsFocus()) {
		SetHighColor(BPrivate::kFocusColor);
		StrokeLine(BPoint(where.x, where.y + 2), BPoint(where.x + width, where.y + 2));
	}
}


// #pragma mark - input


void
BTabView::MouseDown(BPoint where)
{
	for (int32 i = 0; i < CountTabs(); i++) {
		if (!TabFrame(i).Contains(where))
			continue;
		if (fTabs[i]->IsEnabled()) {
			Select(i);
			SetFocusTab(i, true);
		}
		return;
	}
}


void
BTabView::KeyDown(const char* bytes, int32 numBytes)
{
	if (numBytes != 1 || CountTabs() == 0) {
		BView::KeyDown(bytes, numBytes);
		return;
	}
	int32 focus = fFocus >= 0 ? fFocus : std::max(fSelection, (int32)0);
	switch (bytes[0]) {
		case B_LEFT_ARROW:
			SetFocusTab((focus + CountTabs() - 1) % CountTabs(), true);
			break;
		case B_RIGHT_ARROW:
			SetFocusTab((focus + 1) % CountTabs(), true);
			break;
		case B_SPACE:
		case B_RETURN:
			if (fTabs[focus]->IsEnabled())
				Select(focus);
			break;
		default:
			BView::KeyDown(bytes, numBytes);
			break;
	}
}


void
BTabView::MakeFocus(bool focus)
{
	BView::MakeFocus(focus);
	if (focus && fFocus < 0)
		SetFocusTab(std::max(fSelection, (int32)0), true);
	Invalidate();
}
