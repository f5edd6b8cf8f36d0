// BListView's input: clicks select (a second click on a selected item
// invokes), keys move the selection.
#include "ListView.h"

#include <algorithm>

#include <Message.h>
#include <Window.h>

namespace {

// The "clicks" and "modifiers" of the input message being dispatched.
void
current_click(BWindow* window, int32* _clicks, uint32* _modifiers)
{
	BMessage* message = window != NULL ? window->CurrentMessage() : NULL;
	*_clicks = message != NULL ? message->GetInt32("clicks", 1) : 1;
	*_modifiers = message != NULL ? (uint32)message->GetInt32("modifiers", 0) : modifiers();
}

} // namespace


void
BListView::MouseDown(BPoint where)
{
	int32 clicks;
	uint32 pressed;
	current_click(Window(), &clicks, &pressed);
	if ((Flags() & B_NAVIGABLE) != 0 && !IsFocus())
		MakeFocus(true);
	int32 index = IndexOf(where);
	if (index < 0)
		return;
	if (clicks >= 2 && IsItemSelected(index)) {
		Invoke();
		return;
	}
	if (fListType == B_SINGLE_SELECTION_LIST) {
		Select(index);
		return;
	}
	if ((pressed & B_SHIFT_KEY) != 0 && fAnchor >= 0) {
		if (_Select(std::min(fAnchor, index), std::max(fAnchor, index), false))
			_SelectionChanged();
	} else if ((pressed & B_COMMAND_KEY) != 0) {
		if (IsItemSelected(index))
			Deselect(index);
		else
			Select(index, true);
		fAnchor = index;
	} else
		Select(index);
}


void
BListView::KeyDown(const char* bytes, int32 numBytes)
{
	if (numBytes != 1) {
		BView::KeyDown(bytes, numBytes);
		return;
	}
	int32 count = CountItems();
	int32 current = IsItemSelected(fAnchor) ? fAnchor : CurrentSelection(0);
	int32 target;
	switch (bytes[0]) {
		case B_UP_ARROW:
			target = current < 0 ? count - 1 : current - 1;
			break;
		case B_DOWN_ARROW:
			target = current < 0 ? 0 : current + 1;
			break;
		case B_HOME:
			target = 0;
			break;
		case B_END:
			target = count - 1;
			break;
		case B_PAGE_UP:
		case B_PAGE_DOWN:
			target = _PageStep(std::max(current, (int32)0), bytes[0] == B_PAGE_DOWN);
			break;
		case B_RETURN:
			if (CurrentSelection(0) >= 0)
				Invoke();
			return;
		default:
			BView::KeyDown(bytes, numBytes);
			return;
	}
	if (count > 0) {
		int32 clicks;
		uint32 pressed;
		current_click(Window(), &clicks, &pressed);
		bool extend = fListType == B_MULTIPLE_SELECTION_LIST && (pressed & B_SHIFT_KEY) != 0;
		_SelectByKey(std::clamp(target, (int32)0, count - 1), extend);
	}
}


// Selects index, or the next enabled item beyond it in the direction the
// selection moves, and keeps it in view.
void
BListView::_SelectByKey(int32 index, bool extend)
{
	int32 current = CurrentSelection(0);
	int32 step = index < current ? -1 : 1;
	while (index >= 0 && index < CountItems() && !fList[index]->IsEnabled())
		index += step;
	if (index < 0 || index >= CountItems())
		return;
	Select(index, extend);
	ScrollToSelection();
}


// The item a page (the view's height) above or below item from, at least
// one item away.
int32
BListView::_PageStep(int32 from, bool down) const
{
	BRect frame = ItemFrame(from);
	if (!frame.IsValid())
		return down ? 0 : CountItems() - 1;
	float page = Bounds().Height();
	int32 index = IndexOf(BPoint(frame.left, down ? frame.top + page : frame.top - page));
	if (index < 0)
		return down ? CountItems() - 1 : 0;
	if (index == from)
		return down ? from + 1 : from - 1;
	return index;
}
