#include "settings/PrefsHandler.h"

#include <atomic>
#include <cstring>
#include <new>

#include <File.h>
#include <FindDirectory.h>
#include <List.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>
#include <Path.h>
#include <Rect.h>
#include <TypeConstants.h>
#include <fs_attr.h>

BPrefsHandler::BPrefsHandler(const char* name, BMessage* notice) :
	fWindows(new BList(10)),
	fNotice(NULL),
	fChanged(false),
	fPath(NULL),
	fFailureNotice(NULL),
	fFailureTarget(NULL),
	fFailureReported(false)
{
	BPath folder;
	// The folder is made when missing: on a fresh account it may not exist
	// yet, and without it no setting could ever be stored.
	if (name != NULL && find_directory(B_USER_SETTINGS_DIRECTORY, &folder, true) == B_OK) {
		size_t length = strlen(folder.Path()) + 1 + strlen(name) + 1;
		fPath = new (std::nothrow) char[length];
		if (fPath != NULL) {
			strcpy(fPath, folder.Path());
			strcat(fPath, "/");
			strcat(fPath, name);
		}
	}
	if (notice != NULL)
		fNotice = new (std::nothrow) BMessage(*notice);
}

BPrefsHandler::~BPrefsHandler()
{
	delete fNotice;
	delete fFailureNotice;
	delete fWindows;
	delete[] fPath;
}

bool
BPrefsHandler::Register(BLooper* window)
{
	if (fWindows == NULL || fWindows->HasItem(window))
		return false;
	return fWindows->AddItem(window);
}

void
BPrefsHandler::Unregister(BLooper* window)
{
	if (fWindows != NULL)
		fWindows->RemoveItem(window);
}

bool
BPrefsHandler::SetMessage(BMessage* notice)
{
	if (notice == NULL) {
		delete fNotice;
		fNotice = NULL;
		return true;
	}
	BMessage* copy = new (std::nothrow) BMessage(*notice);
	if (copy == NULL)
		return false;
	delete fNotice;
	fNotice = copy;
	return true;
}

void
BPrefsHandler::SetFailureNotice(BMessage* notice, BLooper* target)
{
	delete fFailureNotice;
	fFailureNotice = notice != NULL ? new (std::nothrow) BMessage(*notice) : NULL;
	fFailureTarget = target;
}

void
BPrefsHandler::_ReportFailure(status_t error)
{
	if (fFailureNotice == NULL || fFailureTarget == NULL || fFailureReported.exchange(true))
		return;
	BMessage notice(*fFailureNotice);
	notice.AddString("path", fPath != NULL ? fPath : "");
	notice.AddInt32("error", error);
	fFailureTarget->PostMessage(&notice);
}

void
BPrefsHandler::Update()
{
	if (!fChanged || fNotice == NULL)
		return;
	BMessage notice(*fNotice);
	notice.AddPointer("BPrefsHandler", this);
	for (int32 i = 0; i < fWindows->CountItems(); i++) {
		BMessenger messenger((BLooper*)fWindows->ItemAt(i));
		messenger.SendMessage(&notice, (BHandler*)NULL, B_INFINITE_TIMEOUT);
	}
	fChanged = false;
}

// Reads up to size bytes of the attribute, whatever its type. Returns the
// number of bytes read, or a negative status.
ssize_t
BPrefsHandler::_Read(const char* key, void* buffer, size_t size)
{
	if (fPath == NULL || key == NULL)
		return B_BAD_VALUE;
	BFile file(fPath, B_READ_WRITE);
	if (file.InitCheck() != B_OK)
		return file.InitCheck();
	attr_info info;
	status_t status = file.GetAttrInfo(key, &info);
	if (status != B_OK)
		return status;
	return file.ReadAttr(key, info.type, 0, buffer, size);
}

bool
BPrefsHandler::_Write(const char* key, type_code type, const void* buffer, size_t size,
	bool notify)
{
	if (key == NULL || buffer == NULL)
		return false;
	if (fPath == NULL) {
		_ReportFailure(B_ENTRY_NOT_FOUND);
		return false;
	}
	BFile file(fPath, B_READ_WRITE | B_CREATE_FILE);
	if (file.InitCheck() != B_OK) {
		_ReportFailure(file.InitCheck());
		return false;
	}
	ssize_t written = file.WriteAttr(key, type, 0, buffer, size);
	if (written <= 0) {
		_ReportFailure(written < 0 ? (status_t)written : B_DEVICE_FULL);
		return false;
	}
	fChanged = fChanged || notify;
	return true;
}

bool
BPrefsHandler::GetString(const char* key, char** value)
{
	if (fPath == NULL || key == NULL || value == NULL)
		return false;
	BFile file(fPath, B_READ_WRITE);
	attr_info info;
	if (file.InitCheck() != B_OK || file.GetAttrInfo(key, &info) != B_OK || info.size < 0)
		return false;
	char* buffer = new (std::nothrow) char[info.size + 1];
	*value = buffer;
	if (buffer == NULL)
		return false;
	ssize_t read = file.ReadAttr(key, info.type, 0, buffer, info.size);
	if (read <= 0) {
		delete[] buffer;
		*value = NULL;
		return false;
	}
	buffer[read] = '\0';
	return true;
}

bool
BPrefsHandler::SetString(const char* key, const char* value, bool notify)
{
	if (value == NULL)
		return false;
	return _Write(key, B_STRING_TYPE, value, strlen(value) + 1, notify);
}

bool
BPrefsHandler::GetInteger(const char* key, int32& value)
{
	int32 read = value;
	if (_Read(key, &read, sizeof(read)) <= 0)
		return false;
	value = read;
	return true;
}

bool
BPrefsHandler::SetInteger(const char* key, int32 value, bool notify)
{
	return _Write(key, B_INT32_TYPE, &value, sizeof(value), notify);
}

bool
BPrefsHandler::GetFloat(const char* key, float& value)
{
	float read = value;
	if (_Read(key, &read, sizeof(read)) <= 0)
		return false;
	value = read;
	return true;
}

bool
BPrefsHandler::SetFloat(const char* key, float value, bool notify)
{
	return _Write(key, B_FLOAT_TYPE, &value, sizeof(value), notify);
}

bool
BPrefsHandler::GetRect(const char* key, BRect* rect)
{
	if (rect == NULL)
		return false;
	float edges[4];
	if (_Read(key, edges, sizeof(edges)) != (ssize_t)sizeof(edges))
		return false;
	rect->Set(edges[0], edges[1], edges[2], edges[3]);
	return true;
}

bool
BPrefsHandler::SetRect(const char* key, BRect* rect, bool notify)
{
	if (rect == NULL)
		return false;
	float edges[4] = {rect->left, rect->top, rect->right, rect->bottom};
	return _Write(key, B_RECT_TYPE, edges, sizeof(edges), notify);
}

namespace {

// Read by the thumbnail worker threads as well as the windows.
std::atomic<BPrefsHandler*> sViewerPrefs(NULL);

} // namespace

BPrefsHandler*
viewer_prefs()
{
	return sViewerPrefs.load();
}

void
set_viewer_prefs(BPrefsHandler* prefs)
{
	sViewerPrefs.store(prefs);
}

namespace glim {

std::string
home_folder()
{
	BPath path;
	if (find_directory(B_USER_DIRECTORY, &path) != B_OK)
		return "/";
	return path.Path();
}

std::string
stored_folder(const char* stored)
{
	static const char kBootHome[] = "/boot/home";
	const size_t length = sizeof(kBootHome) - 1;
	if (stored == NULL)
		return std::string();
	if (strncmp(stored, kBootHome, length) != 0
		|| (stored[length] != '\0' && stored[length] != '/'))
		return stored;
	std::string home = home_folder();
	if (home == "/" && stored[length] == '/')
		home.clear();
	return home + (stored + length);
}

} // namespace glim
