// The file panel's window: its views, the folder it lists, and the results
// it sends.
#include "FilePanelWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numeric>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <AppDefs.h>
#include <Application.h>
#include <Button.h>
#include <Entry.h>
#include <Font.h>
#include <Node.h>
#include <NodeInfo.h>
#include <NodeMonitor.h>
#include <TypeConstants.h>

#include "FilePanelViews.h"
#include "StoragePrivate.h"

namespace BPrivate {

namespace {

const uint32 kMsgDefault = 'fpDf';
const uint32 kMsgCancel = 'fpCn';
const uint32 kMsgUp = 'fpUp';
const uint32 kMsgHome = 'fpHm';
const uint32 kMsgRefresh = 'fpRf';

const BRect kFrame(80, 80, 599, 459);
const float kMargin = 8;
const float kSpacing = 8;
const float kButtonWidth = 80;
const float kSmallButtonWidth = 60;
// Left free between a save panel's name field and its buttons, where the
// program may put a view of its own (the window is widened for it).
const float kRoomForProgram = 60;
// Bursts of changes in the folder shown are read once.
const int kRefreshDelayMilliseconds = 200;


float
line_height()
{
	font_height height;
	be_plain_font->GetHeight(&height);
	return std::ceil(height.ascent + height.descent);
}


std::string
home_folder()
{
	const char* home = getenv("HOME");
	return home != NULL && home[0] != '\0' ? home : "/";
}

} // namespace


FilePanelWindow::FilePanelWindow(BFilePanel* panel, file_panel_mode mode, uint32 nodeFlavors,
	bool multipleSelection, bool modal) :
	BWindow(kFrame, mode == B_SAVE_PANEL ? "Save" : "Open",
		modal ? B_MODAL_WINDOW : B_TITLED_WINDOW, B_NOT_ZOOMABLE),
	fPanel(panel),
	fMode(mode),
	fNodeFlavors(nodeFlavors),
	fHideWhenDone(true),
	fTargetSet(false),
	fFilter(NULL),
	fWatching(false),
	fRefreshPending(false),
	fList(NULL),
	fLocation(NULL),
	fName(NULL),
	fDefaultButton(NULL),
	fCancelButton(NULL)
{
	_BuildViews(multipleSelection && mode == B_OPEN_PANEL);
}


FilePanelWindow::~FilePanelWindow()
{
	_Watch(false);
}


// The panel's views all lie in one background view: the folder row at the
// top, the list, and the row of the name field and the buttons.
void
FilePanelWindow::_BuildViews(bool multipleSelection)
{
	BRect bounds = Bounds();
	BView* background = new BView(bounds, "background", B_FOLLOW_ALL, B_WILL_DRAW);
	background->SetViewColor(216, 216, 216);
	float buttonHeight = line_height() + 12;
	float fieldHeight = line_height() + 8;
	float fieldOffset = std::floor((buttonHeight - fieldHeight) / 2);

	BRect upFrame(kMargin, kMargin, kMargin + kSmallButtonWidth - 1,
		kMargin + buttonHeight - 1);
	background->AddChild(new BButton(upFrame, "up button", "Up", new BMessage(kMsgUp)));
	BRect homeFrame = upFrame.OffsetByCopy(kSmallButtonWidth + 4, 0);
	background->AddChild(new BButton(homeFrame, "home button", "Home", new BMessage(kMsgHome)));
	fLocation = new PanelTextView(BRect(homeFrame.right + kSpacing, kMargin + fieldOffset,
									  bounds.right - kMargin,
									  kMargin + fieldOffset + fieldHeight - 1),
		"location", NULL, B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP);
	background->AddChild(fLocation);

	float rowTop = _BuildBottomRow(background, bounds);
	fList = new PanelListView(BRect(kMargin, upFrame.bottom + kSpacing, bounds.right - kMargin,
								  rowTop - kSpacing),
		"file list", multipleSelection);
	background->AddChild(fList);
	AddChild(background);

	fList->fSelectionChanged = [this]() { _SelectionChanged(); };
	fList->fActivated = [this](const std::string& name) { _Activated(name); };
	fLocation->fEntered = [this]() { _LocationEntered(); };
	if (fName != NULL) {
		fName->fModified = [this]() { _UpdateButtons(); };
		fName->fEntered = [this]() { _DefaultPressed(); };
		fName->SetInitialFocus(true);
	} else
		fList->SetInitialFocus(true);
	_UpdateButtons();
}


// The buttons at the bottom right, and a save panel's name field at the
// left; returns the top of the row.
float
FilePanelWindow::_BuildBottomRow(BView* background, BRect bounds)
{
	float buttonHeight = line_height() + 12;
	float fieldHeight = line_height() + 8;
	BRect frame(bounds.right - kMargin - kButtonWidth + 1,
		bounds.bottom - kMargin - buttonHeight + 1, bounds.right - kMargin,
		bounds.bottom - kMargin);
	fDefaultButton = new BButton(frame, "default button",
		fMode == B_SAVE_PANEL ? "Save" : "Open", new BMessage(kMsgDefault),
		B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM);
	fDefaultButton->MakeDefault(true);
	frame.OffsetBy(-(kButtonWidth + kSpacing), 0);
	fCancelButton = new BButton(frame, "cancel button", "Cancel", new BMessage(kMsgCancel),
		B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM);
	background->AddChild(fCancelButton);
	background->AddChild(fDefaultButton);

	if (fMode == B_SAVE_PANEL) {
		float top = frame.top + std::floor((buttonHeight - fieldHeight) / 2);
		fName = new PanelTextView(BRect(kMargin, top, frame.left - kRoomForProgram,
									  top + fieldHeight - 1),
			"text view", "Name:", B_FOLLOW_LEFT | B_FOLLOW_BOTTOM);
		background->AddChild(fName);
	}
	return frame.top;
}


// #pragma mark - hooks


void
FilePanelWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	switch (message->what) {
		case B_QUIT_REQUESTED:
			// The close box cancels; the panel stays.
			if (!IsHidden())
				Cancel();
			return;
		case B_KEY_DOWN:
			if (message->GetString("bytes", "")[0] == B_ESCAPE) {
				if (!IsHidden())
					Cancel();
				return;
			}
			break;
	}
	BWindow::DispatchMessage(message, handler);
}


void
FilePanelWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kMsgDefault:
			_DefaultPressed();
			break;
		case kMsgCancel:
			Cancel();
			break;
		case kMsgUp:
			GoTo(parent_of(fFolder));
			break;
		case kMsgHome:
			GoTo(home_folder());
			break;
		case B_NODE_MONITOR:
			_ScheduleRefresh();
			break;
		case kMsgRefresh:
			fRefreshPending = false;
			if (!IsHidden())
				Refresh();
			break;
		default:
			BWindow::MessageReceived(message);
			break;
	}
}


void
FilePanelWindow::Show()
{
	if (!IsHidden()) {
		Activate();
		return;
	}
	Refresh();
	_Watch(true);
	BWindow::Show();
}


void
FilePanelWindow::Hide()
{
	if (IsHidden())
		return;
	_Watch(false);
	BWindow::Hide();
	if (fPanel != NULL)
		fPanel->WasHidden();
}


// #pragma mark - settings


void
FilePanelWindow::SetTarget(const BMessenger& target)
{
	fTarget = target;
	fTargetSet = true;
}


BMessenger
FilePanelWindow::Target() const
{
	return fTargetSet ? fTarget : be_app_messenger;
}


void
FilePanelWindow::SetMessage(const BMessage* message)
{
	fMessage.reset(message != NULL ? new BMessage(*message) : NULL);
}


void
FilePanelWindow::SetSaveText(const char* text)
{
	if (fName == NULL)
		return;
	fName->SetText(text != NULL ? text : "");
	_UpdateButtons();
}


void
FilePanelWindow::SetButtonLabel(file_panel_button button, const char* label)
{
	BButton* target = button == B_DEFAULT_BUTTON ? fDefaultButton : fCancelButton;
	target->SetLabel(label);
}


// #pragma mark - the folder


bool
FilePanelWindow::GoTo(const std::string& folder)
{
	std::string resolved;
	struct stat info;
	if (!real_path(folder, resolved) || stat(resolved.c_str(), &info) != 0
		|| !S_ISDIR(info.st_mode) || access(resolved.c_str(), R_OK | X_OK) != 0)
		return false;
	if (resolved != fFolder) {
		_Watch(false);
		fFolder = resolved;
		fList->SetEntries({});
		if (!IsHidden()) {
			Refresh();
			_Watch(true);
		}
	}
	fLocation->SetText(fFolder);
	_UpdateButtons();
	return true;
}


void
FilePanelWindow::Refresh()
{
	fList->SetEntries(_ReadFolder());
	_UpdateButtons();
}


std::vector<std::string>
FilePanelWindow::SelectedPaths() const
{
	std::vector<std::string> paths;
	for (const std::string& name : fList->Selection())
		paths.push_back(join_path(fFolder, name));
	return paths;
}


// Every entry but the hidden ones (names starting with "."), folders first,
// then by name as the user's language sorts them.
std::vector<PanelEntry>
FilePanelWindow::_ReadFolder() const
{
	std::vector<PanelEntry> entries;
	DIR* directory = opendir(fFolder.c_str());
	if (directory == NULL)
		return entries;
	int fd = dirfd(directory);
	while (struct dirent* item = readdir(directory)) {
		if (item->d_name[0] == '.')
			continue;
		struct stat info;
		if (fstatat(fd, item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
			continue;
		PanelEntry entry;
		entry.name = item->d_name;
		entry.link = S_ISLNK(info.st_mode);
		struct stat target = info;
		if (entry.link && fstatat(fd, item->d_name, &target, 0) != 0)
			target = info;
		entry.folder = S_ISDIR(target.st_mode);
		entry.size = target.st_size;
		entry.modified = target.st_mtime;
		entry.enabled = entry.folder || fMode == B_SAVE_PANEL || _Choosable(entry);
		if (_Accepts(entry, info))
			entries.push_back(entry);
	}
	closedir(directory);

	std::vector<QString> keys;
	for (const PanelEntry& entry : entries)
		keys.push_back(QFile::decodeName(QByteArray(entry.name.c_str())));
	std::vector<size_t> order(entries.size());
	std::iota(order.begin(), order.end(), 0);
	std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
		if (entries[a].folder != entries[b].folder)
			return entries[a].folder;
		int compared = QString::localeAwareCompare(keys[a], keys[b]);
		return compared != 0 ? compared < 0 : entries[a].name < entries[b].name;
	});
	std::vector<PanelEntry> sorted;
	for (size_t index : order)
		sorted.push_back(entries[index]);
	return sorted;
}


bool
FilePanelWindow::_Accepts(const PanelEntry& entry, const struct stat& info) const
{
	if (fFilter == NULL)
		return true;
	entry_ref ref;
	if (get_ref_for_path(join_path(fFolder, entry.name).c_str(), &ref) != B_OK)
		return false;
	BNode node(&ref);
	BNodeInfo nodeInfo(&node);
	char type[B_MIME_TYPE_LENGTH];
	if (nodeInfo.InitCheck() != B_OK || nodeInfo.GetType(type) != B_OK)
		strcpy(type, B_FILE_MIME_TYPE);
	struct stat copy = info;
	return fFilter->Filter(&ref, &node, &copy, type);
}


uint32
FilePanelWindow::_Flavors() const
{
	return fNodeFlavors != 0 ? fNodeFlavors : (uint32)B_FILE_NODE;
}


bool
FilePanelWindow::_Choosable(const PanelEntry& entry) const
{
	uint32 flavors = _Flavors();
	if (entry.link && (flavors & B_SYMLINK_NODE) != 0)
		return true;
	return (flavors & (entry.folder ? B_DIRECTORY_NODE : B_FILE_NODE)) != 0;
}


void
FilePanelWindow::_Watch(bool watch)
{
	if (watch == fWatching)
		return;
	if (!watch) {
		stop_watching(BMessenger(this));
		fWatching = false;
		return;
	}
	BNode folder(fFolder.c_str());
	node_ref ref;
	if (folder.GetNodeRef(&ref) == B_OK
		&& watch_node(&ref, B_WATCH_DIRECTORY, BMessenger(this)) == B_OK)
		fWatching = true;
}


void
FilePanelWindow::_ScheduleRefresh()
{
	if (fRefreshPending)
		return;
	fRefreshPending = true;
	BMessenger self(this);
	QTimer::singleShot(kRefreshDelayMilliseconds, QCoreApplication::instance(),
		[self]() { self.SendMessage(kMsgRefresh); });
}


// #pragma mark - the user's actions


void
FilePanelWindow::_SelectionChanged()
{
	const std::vector<std::string>& selection = fList->Selection();
	if (fMode == B_SAVE_PANEL && selection.size() == 1) {
		const PanelEntry* entry = fList->Find(selection[0]);
		if (entry != NULL && !entry->folder)
			fName->SetText(entry->name);
	}
	_UpdateButtons();
	if (fPanel != NULL)
		fPanel->SelectionChanged();
}


void
FilePanelWindow::_UpdateButtons()
{
	bool enabled;
	if (fMode == B_SAVE_PANEL)
		enabled = !fName->Text().empty();
	else {
		const std::vector<std::string>& selection = fList->Selection();
		enabled = selection.empty() && (_Flavors() & B_FILE_NODE) == 0
			&& (_Flavors() & B_DIRECTORY_NODE) != 0;
		for (const std::string& name : selection) {
			const PanelEntry* entry = fList->Find(name);
			enabled = enabled || (entry != NULL && (entry->folder || _Choosable(*entry)));
		}
	}
	fDefaultButton->SetEnabled(enabled);
}


void
FilePanelWindow::_Activated(const std::string& name)
{
	const PanelEntry* entry = fList->Find(name);
	if (entry == NULL)
		return;
	std::string path = join_path(fFolder, name);
	if (entry->folder)
		GoTo(path);
	else if (fMode == B_SAVE_PANEL) {
		fName->SetText(name);
		_Save();
	} else if (_Choosable(*entry))
		_SendRefs({path});
}


void
FilePanelWindow::_LocationEntered()
{
	std::string text = fLocation->Text();
	if (text == "~" || text.compare(0, 2, "~/") == 0)
		text = home_folder() + text.substr(1);
	std::string path = !text.empty() && text[0] == '/' ? text : join_path(fFolder, text);
	struct stat info;
	if (stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) && GoTo(parent_of(path))) {
		fList->Select({leaf_of(path)});
		return;
	}
	if (!GoTo(path))
		fLocation->SetText(fFolder);
}


void
FilePanelWindow::_DefaultPressed()
{
	if (!fDefaultButton->IsEnabled())
		return;
	if (fMode == B_SAVE_PANEL)
		_Save();
	else
		_Open();
}


// The chosen entries go to the target. Without one, a folder alone is
// entered, and a folder chooser with nothing selected chooses the folder
// shown.
void
FilePanelWindow::_Open()
{
	const std::vector<std::string>& selection = fList->Selection();
	std::vector<std::string> chosen;
	for (const std::string& name : selection) {
		const PanelEntry* entry = fList->Find(name);
		if (entry != NULL && _Choosable(*entry))
			chosen.push_back(join_path(fFolder, name));
	}
	if (!chosen.empty()) {
		_SendRefs(chosen);
		return;
	}
	if (selection.size() == 1) {
		const PanelEntry* entry = fList->Find(selection[0]);
		if (entry != NULL && entry->folder)
			GoTo(join_path(fFolder, selection[0]));
	} else if (selection.empty() && (_Flavors() & B_DIRECTORY_NODE) != 0
		&& (_Flavors() & B_FILE_NODE) == 0)
		_SendRefs({fFolder});
}


// A typed name may hold a path ("../shots/a.png", "/tmp/a.png"); a name
// that is an existing folder enters it.
void
FilePanelWindow::_Save()
{
	std::string name = fName->Text();
	std::string folder = fFolder;
	if (name.find('/') != std::string::npos) {
		std::string full = name[0] == '/' ? name : join_path(fFolder, name);
		if (!real_path(parent_of(full), folder))
			return;
		name = leaf_of(full);
	}
	struct stat info;
	std::string target = join_path(folder, name);
	if (name.empty() || name == "." || name == ".."
		|| (stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode))) {
		if (GoTo(target))
			fName->SetText("");
		_UpdateButtons();
		return;
	}
	entry_ref directory;
	if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)
		|| get_ref_for_path(folder.c_str(), &directory) != B_OK)
		return;
	BMessage message = fMessage ? *fMessage : BMessage(B_SAVE_REQUESTED);
	message.AddRef("directory", &directory);
	message.AddString("name", name.c_str());
	_Deliver(&message, true);
}


void
FilePanelWindow::_SendRefs(const std::vector<std::string>& paths)
{
	BMessage message = fMessage ? *fMessage : BMessage(B_REFS_RECEIVED);
	bool any = false;
	for (const std::string& path : paths) {
		entry_ref ref;
		if (get_ref_for_path(path.c_str(), &ref) == B_OK) {
			message.AddRef("refs", &ref);
			any = true;
		}
	}
	if (any)
		_Deliver(&message, true);
}


void
FilePanelWindow::Cancel()
{
	BMessage message = fMessage
		? *fMessage
		: BMessage(fMode == B_SAVE_PANEL ? B_SAVE_REQUESTED : B_REFS_RECEIVED);
	message.AddInt32("old_what", (int32)message.what);
	message.what = B_CANCEL;
	message.AddPointer("source", fPanel);
	_Deliver(&message, false);
	Hide();
}


void
FilePanelWindow::_Deliver(BMessage* message, bool done)
{
	BMessenger target = Target();
	if (fPanel != NULL)
		fPanel->SendMessage(&target, message);
	else
		target.SendMessage(message);
	if (done && fHideWhenDone)
		Hide();
}


void
FilePanelWindow::Complete(const std::vector<std::string>& paths)
{
	std::vector<std::string> absolute;
	for (const std::string& path : paths)
		absolute.push_back(absolute_path(path.c_str()));
	if (!absolute.empty() && !GoTo(parent_of(absolute[0])))
		return;
	Refresh();
	if (fMode == B_SAVE_PANEL) {
		if (absolute.empty())
			return;
		fName->SetText(leaf_of(absolute[0]));
		_UpdateButtons();
	} else {
		std::vector<std::string> names;
		for (const std::string& path : absolute) {
			if (parent_of(path) == parent_of(absolute[0]))
				names.push_back(leaf_of(path));
		}
		fList->Select(names);
	}
	_DefaultPressed();
}

} // namespace BPrivate
