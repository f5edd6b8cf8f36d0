#ifndef _FILE_PANEL_WINDOW_H
#define _FILE_PANEL_WINDOW_H

#include <memory>
#include <string>
#include <vector>

#include <FilePanel.h>
#include <Message.h>
#include <Messenger.h>
#include <Window.h>

class BButton;

namespace BPrivate {

class PanelListView;
class PanelTextView;
struct PanelEntry;

// The window of a BFilePanel and everything the panel does: it lists one
// folder, follows the user through the folders, and sends the result.
// BFilePanel calls it with the window locked. The panel may be deleted
// first (PanelGone); the window then only finishes what it is doing.
class FilePanelWindow : public BWindow {
public:
	FilePanelWindow(BFilePanel* panel, file_panel_mode mode, uint32 nodeFlavors,
		bool multipleSelection, bool modal);
	virtual ~FilePanelWindow();

	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void MessageReceived(BMessage* message);
	virtual void Show();
	virtual void Hide();

	void PanelGone() { fPanel = NULL; }

	void SetTarget(const BMessenger& target);
	BMessenger Target() const;
	void SetMessage(const BMessage* message);
	void SetRefFilter(BRefFilter* filter) { fFilter = filter; }
	BRefFilter* RefFilter() const { return fFilter; }
	void SetHideWhenDone(bool hide) { fHideWhenDone = hide; }
	bool HidesWhenDone() const { return fHideWhenDone; }
	void SetSaveText(const char* text);
	void SetButtonLabel(file_panel_button button, const char* label);

	// Shows the folder (resolved), or without listing it yet while hidden.
	bool GoTo(const std::string& folder);
	const std::string& Folder() const { return fFolder; }
	void Refresh();
	std::vector<std::string> SelectedPaths() const;

	// As the user would: open mode chooses the entries of paths (in the
	// folder of the first; none: the default button with nothing
	// selected); save mode saves as paths[0]. Then Cancel.
	void Complete(const std::vector<std::string>& paths);
	void Cancel();

private:
	void _BuildViews(bool multipleSelection);
	float _BuildBottomRow(BView* background, BRect bounds);
	std::vector<PanelEntry> _ReadFolder() const;
	bool _Accepts(const PanelEntry& entry, const struct stat& info) const;
	bool _Choosable(const PanelEntry& entry) const;
	uint32 _Flavors() const;

	void _DefaultPressed();
	void _Open();
	void _Save();
	void _Activated(const std::string& name);
	void _SelectionChanged();
	void _LocationEntered();
	void _UpdateButtons();
	void _SendRefs(const std::vector<std::string>& paths);
	void _Deliver(BMessage* message, bool done);
	void _Watch(bool watch);
	void _ScheduleRefresh();

	BFilePanel* fPanel;
	file_panel_mode fMode;
	uint32 fNodeFlavors;
	bool fHideWhenDone;
	bool fTargetSet;
	BMessenger fTarget;
	std::unique_ptr<BMessage> fMessage;
	BRefFilter* fFilter;
	std::string fFolder;
	bool fWatching;
	bool fRefreshPending;

	PanelListView* fList;
	PanelTextView* fLocation;
	PanelTextView* fName;
	BButton* fDefaultButton;
	BButton* fCancelButton;
};

} // namespace BPrivate

#endif
