// The main window's pop-up menus (zoom, mouse action, thumbnail) and the
// menu bar's state.

#include "mainwindow/ViewerWin.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include <Message.h>
#include <Application.h>
#include <Directory.h>
#include <Entry.h>
#include <FindDirectory.h>
#include <List.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Messenger.h>
#include <MimeType.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Path.h>
#include <PopUpMenu.h>
#include <Roster.h>

#include "app/Commands.h"
#include "imageview/ImageView.h"
#include "settings/PrefsHandler.h"
#include "settings/SettingsKeys.h"
#include "thumbnails/Trash.h"

namespace {

// The list ends at the first factor that is not greater than zero.
const float kZoomLevels[] = {0.125f, 0.25f, 0.33f, 0.5f, 0.66f, 0.75f, 1.0f, 2.0f, 3.0f, 4.0f,
	5.0f, 8.0f, 16.0f, -1.0f};

struct MouseAction {
	int32 value;
	const char* left;
	const char* right;
};

// In menu order: glide stands between pan and next image.
const MouseAction kMouseActions[] = {
	{kMouseSelect, "Left mouse selects", "Right mouse selects"},
	{kMouseZoom, "Left mouse zooms", "Right mouse zooms"},
	{kMousePan, "Left mouse pans", "Right mouse pans"},
	{kMouseGlide, "Left mouse glides", "Right mouse glides"},
	{kMouseNextImage, "Left mouse for next image", "Right mouse for next image"},
	{kMousePreviousImage, "Left mouse for previous image", "Right mouse for previous image"},
};

BPopUpMenu*
new_pop_up(const char* name)
{
	BPopUpMenu* menu = new BPopUpMenu(name, false, false, B_ITEMS_IN_COLUMN);
	return menu;
}

void
add_application_item(BPopUpMenu* menu, const char* signature)
{
	char description[B_MIME_TYPE_LENGTH];
	BMimeType type(signature);
	if (type.GetShortDescription(description) != B_OK || description[0] == '\0')
		snprintf(description, sizeof(description), "%s", signature);
	BMessage* message = new BMessage(MSG_OPEN_WITH);
	message->AddString("open_sig", signature);
	menu->AddItem(new BMenuItem(description, message));
}

} // namespace

BPoint
BViewerWin::_MenuPoint()
{
	BPoint where;
	uint32 buttons;
	fImageView->GetMouse(&where, &buttons, false);
	fImageView->ConvertToScreen(&where);
	return where;
}

void
BViewerWin::ShowZoomMenu()
{
	std::unique_ptr<BPopUpMenu> menu(new_pop_up("Zoom"));
	float zoom = 1.0f;
	fImageView->GetZoom(zoom);
	for (const float* level = kZoomLevels; *level > 0; level++) {
		char label[32];
		snprintf(label, sizeof(label), "%3.1f%%", *level * 100);
		BMessage* message = new BMessage(MSG_SET_ZOOM);
		message->AddFloat("zoom", *level);
		BMenuItem* item = new BMenuItem(label, message);
		item->SetMarked(*level == zoom);
		menu->AddItem(item);
	}
	BMenuItem* chosen = menu->Go(_MenuPoint(), false, true, false);
	float factor;
	if (chosen != NULL && chosen->Message() != NULL
		&& chosen->Message()->FindFloat("zoom", &factor) == B_OK)
		fImageView->SetZoom(factor);
}

void
BViewerWin::ShowMouseMenu()
{
	std::unique_ptr<BPopUpMenu> menu(new_pop_up("Mouse Action"));
	int32 left = kMouseSelect;
	int32 right = kMousePan;
	if (fPrefs != NULL) {
		int32 value = 0;
		if (fPrefs->GetInteger(glim::kKeyLeftMouseFunc, value)
			&& glim::valid_mouse_action(value))
			left = value;
		value = 0;
		if (fPrefs->GetInteger(glim::kKeyRightMouseFunc, value)
			&& glim::valid_mouse_action(value))
			right = value;
	}
	for (int group = 0; group < 2; group++) {
		if (group == 1)
			menu->AddSeparatorItem();
		for (const MouseAction& action : kMouseActions) {
			BMessage* message = new BMessage(
				group == 0 ? MSG_LEFT_MOUSE_ACTION : MSG_RIGHT_MOUSE_ACTION);
			message->AddInt32("mouse_action", action.value);
			BMenuItem* item = new BMenuItem(group == 0 ? action.left : action.right, message);
			item->SetMarked(action.value == (group == 0 ? left : right));
			menu->AddItem(item);
		}
	}

	BMenuItem* chosen = menu->Go(_MenuPoint(), false, true, false);
	int32 value;
	if (chosen == NULL || chosen->Message() == NULL
		|| chosen->Message()->FindInt32("mouse_action", &value) != B_OK || fPrefs == NULL)
		return;
	if (chosen->Message()->what == MSG_LEFT_MOUSE_ACTION)
		fPrefs->SetInteger(glim::kKeyLeftMouseFunc, value, true);
	else if (chosen->Message()->what == MSG_RIGHT_MOUSE_ACTION)
		fPrefs->SetInteger(glim::kKeyRightMouseFunc, value, true);
	fPrefs->Update();
}

void
BViewerWin::DisplayThumbnailMenu(int32 index)
{
	if (index < 0 || index >= CountImages())
		return;
	std::string path = (const char*)fImageList->ItemAt(index);

	BNode node(path.c_str());
	BNodeInfo nodeInfo(&node);
	char type[B_MIME_TYPE_LENGTH];
	if (node.InitCheck() != B_OK || nodeInfo.InitCheck() != B_OK
		|| nodeInfo.GetType(type) != B_OK)
		return;

	BMessage apps;
	if (BMimeType(type).GetSupportingApps(&apps) != B_OK)
		return;
	int32 subCount = 0;
	int32 superCount = 0;
	apps.FindInt32("be:sub", &subCount);
	apps.FindInt32("be:super", &superCount);
	if (subCount <= 0 && superCount <= 0)
		return;

	std::unique_ptr<BPopUpMenu> menu(new_pop_up("Open With"));
	menu->AddItem(new BMenuItem("Remove", new BMessage(MSG_REMOVE_FILE)));
	menu->AddSeparatorItem();
	const char* signature;
	for (int32 i = 0; i < subCount; i++) {
		if (apps.FindString("applications", i, &signature) == B_OK)
			add_application_item(menu.get(), signature);
	}
	menu->AddSeparatorItem();
	for (int32 i = 0; i < superCount; i++) {
		if (apps.FindString("applications", subCount + i, &signature) == B_OK)
			add_application_item(menu.get(), signature);
	}

	BMenuItem* chosen = menu->Go(_MenuPoint(), false, false, false);
	if (chosen == NULL || chosen->Message() == NULL)
		return;
	if (chosen->Message()->what == MSG_REMOVE_FILE) {
		glim::move_to_trash_or_alert(path.c_str());
		return;
	}
	const char* chosenSignature;
	if (chosen->Message()->FindString("open_sig", &chosenSignature) != B_OK)
		return;
	BEntry entry(path.c_str(), false);
	entry_ref ref;
	if (entry.InitCheck() != B_OK || entry.GetRef(&ref) != B_OK)
		return;
	BMessage refs(B_REFS_RECEIVED);
	refs.AddRef("refs", &ref);
	if (strcmp(chosenSignature, kViewerSignature) == 0)
		BMessenger(be_app).SendMessage(&refs, this, B_INFINITE_TIMEOUT);
	else
		be_roster->Launch(chosenSignature, &refs);
}

void
BViewerWin::MenusBeginning()
{
	static const uint32 kImageCommands[] = {MSG_FIRST_IMAGE, MSG_LAST_IMAGE, MSG_NEXT_IMAGE,
		MSG_PREV_IMAGE, MSG_ZOOM_IN, MSG_ZOOM_OUT, MSG_CLEAR_SELECTION};
	for (uint32 command : kImageCommands) {
		if (BMenuItem* item = fMenuBar->FindItem(command))
			item->SetEnabled(!fThumbnailMode);
	}
	if (BMenuItem* item = fMenuBar->FindItem(MSG_TOGGLE_VIEW))
		item->SetLabel(fThumbnailMode ? "Image" : "Thumbnails");
}
