#include "FilePanel.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <Directory.h>
#include <Entry.h>
#include <Message.h>
#include <Path.h>

#include "FilePanelWindow.h"
#include "InterfacePrivate.h"
#include "StoragePrivate.h"

using BPrivate::FilePanelWindow;

namespace {

std::string
current_folder()
{
	std::vector<char> buffer(4096);
	while (getcwd(buffer.data(), buffer.size()) == NULL) {
		if (errno != ERANGE)
			return std::string();
		buffer.resize(buffer.size() * 2);
	}
	return buffer.data();
}


std::string
home_folder()
{
	const char* home = getenv("HOME");
	return home != NULL && home[0] != '\0' ? home : "/";
}

} // namespace


BFilePanel::BFilePanel(file_panel_mode mode, BMessenger* target, const entry_ref* directory,
	uint32 nodeFlavors, bool allowMultipleSelection, BMessage* message, BRefFilter* filter,
	bool modal, bool hideWhenDone) :
	fMode(mode),
	fWindow(NULL),
	fNextSelected(0)
{
	fWindow = new FilePanelWindow(this, mode, nodeFlavors, allowMultipleSelection, modal);
	fWindowMessenger = BMessenger(fWindow);
	if (!fWindow->Lock())
		return;
	if (target != NULL)
		fWindow->SetTarget(*target);
	fWindow->SetMessage(message);
	fWindow->SetRefFilter(filter);
	fWindow->SetHideWhenDone(hideWhenDone);
	std::string start;
	if (directory == NULL || BPrivate::path_for_ref(directory, start) != B_OK)
		start = current_folder();
	_SetDirectory(start.c_str());
	fWindow->Unlock();
}


// The window goes at once, also out of the application's count, even when
// it can only be deleted a moment later (deleted from another thread, or
// while it handles a message).
BFilePanel::~BFilePanel()
{
	if (FilePanelWindow* window = _LockWindow()) {
		window->PanelGone();
		BPrivate::unregister_window(window);
		window->Quit();
	}
}


FilePanelWindow*
BFilePanel::_LockWindow() const
{
	return fWindowMessenger.LockTarget() ? fWindow : NULL;
}


// #pragma mark - hooks


void
BFilePanel::SendMessage(const BMessenger* target, BMessage* message)
{
	if (target != NULL && message != NULL)
		target->SendMessage(message);
}


void
BFilePanel::WasHidden()
{
}

void
BFilePanel::SelectionChanged()
{
}


// #pragma mark - showing


void
BFilePanel::Show()
{
	if (FilePanelWindow* window = _LockWindow()) {
		window->Show();
		window->Unlock();
	}
}


void
BFilePanel::Hide()
{
	if (FilePanelWindow* window = _LockWindow()) {
		window->Hide();
		window->Unlock();
	}
}


bool
BFilePanel::IsShowing() const
{
	FilePanelWindow* window = _LockWindow();
	if (window == NULL)
		return false;
	bool showing = !window->IsHidden();
	window->Unlock();
	return showing;
}


BWindow*
BFilePanel::Window() const
{
	return fWindowMessenger.IsValid() ? fWindow : NULL;
}


// #pragma mark - settings


BMessenger
BFilePanel::Messenger() const
{
	FilePanelWindow* window = _LockWindow();
	if (window == NULL)
		return BMessenger();
	BMessenger target = window->Target();
	window->Unlock();
	return target;
}


bool
BFilePanel::HidesWhenDone() const
{
	FilePanelWindow* window = _LockWindow();
	if (window == NULL)
		return false;
	bool hides = window->HidesWhenDone();
	window->Unlock();
	return hides;
}


void
BFilePanel::SetTarget(BMessenger target)
{
	if (FilePanelWindow* window = _LockWindow()) {
		window->SetTarget(target);
		window->Unlock();
	}
}


void
BFilePanel::SetMessage(BMessage* message)
{
	if (FilePanelWindow* window = _LockWindow()) {
		window->SetMessage(message);
		window->Unlock();
	}
}


void
BFilePanel::SetSaveText(const char* text)
{
	if (FilePanelWindow* window = _LockWindow()) {
		window->SetSaveText(text);
		window->Unlock();
	}
}


void
BFilePanel::SetButtonLabel(file_panel_button button, const char* label)
{
	if (FilePanelWindow* window = _LockWindow()) {
		window->SetButtonLabel(button, label);
		window->Unlock();
	}
}


void
BFilePanel::SetHideWhenDone(bool hideWhenDone)
{
	if (FilePanelWindow* window = _LockWindow()) {
		window->SetHideWhenDone(hideWhenDone);
		window->Unlock();
	}
}


// #pragma mark - the folder


void
BFilePanel::SetPanelDirectory(const BEntry* entry)
{
	BPath path;
	if (entry != NULL && entry->GetPath(&path) == B_OK)
		_SetDirectory(path.Path());
}


void
BFilePanel::SetPanelDirectory(const BDirectory* directory)
{
	BEntry entry;
	if (directory != NULL && directory->GetEntry(&entry) == B_OK)
		SetPanelDirectory(&entry);
}


void
BFilePanel::SetPanelDirectory(const entry_ref* ref)
{
	std::string path;
	if (ref != NULL && BPrivate::path_for_ref(ref, path) == B_OK)
		_SetDirectory(path.c_str());
}


void
BFilePanel::SetPanelDirectory(const char* path)
{
	if (path != NULL)
		_SetDirectory(path);
}


void
BFilePanel::_SetDirectory(const char* path)
{
	FilePanelWindow* window = _LockWindow();
	if (window == NULL)
		return;
	std::string folder = BPrivate::absolute_path(path);
	struct stat info;
	if (stat(folder.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
		folder = BPrivate::parent_of(folder);
	if (!window->GoTo(folder) && !window->GoTo(home_folder()))
		window->GoTo("/");
	window->Unlock();
}


void
BFilePanel::GetPanelDirectory(entry_ref* ref) const
{
	FilePanelWindow* window = _LockWindow();
	if (window == NULL)
		return;
	if (ref != NULL)
		get_ref_for_path(window->Folder().c_str(), ref);
	window->Unlock();
}


void
BFilePanel::Refresh()
{
	if (FilePanelWindow* window = _LockWindow()) {
		window->Refresh();
		window->Unlock();
	}
}


void
BFilePanel::Rewind()
{
	fNextSelected = 0;
}


status_t
BFilePanel::GetNextSelectedRef(entry_ref* ref)
{
	if (ref == NULL)
		return B_BAD_VALUE;
	FilePanelWindow* window = _LockWindow();
	if (window == NULL)
		return B_NO_INIT;
	std::vector<std::string> paths = window->SelectedPaths();
	window->Unlock();
	if (fNextSelected >= (int32)paths.size())
		return B_ENTRY_NOT_FOUND;
	return get_ref_for_path(paths[fNextSelected++].c_str(), ref);
}
