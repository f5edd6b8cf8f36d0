#ifndef GLIM_PREFS_HANDLER_H
#define GLIM_PREFS_HANDLER_H

#include <atomic>
#include <string>

#include <SupportDefs.h>

class BList;
class BLooper;
class BMessage;
class BRect;

// The viewer's one settings store. Each setting is a typed attribute of one
// settings file in the user's settings folder, named by its key. Nothing is
// cached: every call opens the file, reads or writes one attribute and closes
// it, so a value stored by one window is seen by every other reader at once.
//
// A failed read returns false and leaves the caller's value untouched, so the
// caller's initial value is its default. Stores with `notify` set mark the
// store changed; Update() then sends one copy of the notice message, with the
// pointer field "BPrefsHandler", to every registered window.
//
// A setting that cannot be stored (no settings folder, a volume without
// attributes, a read-only or full one) makes the Set call return false and,
// the first time only, posts the failure notice (see SetFailureNotice), so
// the user learns once that settings are being lost.
//
// The store has no lock: each call uses its own file handle, so calls from
// several window threads meet only in the file system.
class BPrefsHandler {
public:
	BPrefsHandler(const char* name, BMessage* notice);
	virtual ~BPrefsHandler();

	// Windows are registered by pointer and are not owned.
	virtual bool Register(BLooper* window);
	virtual void Unregister(BLooper* window);
	virtual bool SetMessage(BMessage* notice);
	virtual void Update();

	// GetString hands over a new array that the caller deletes with delete[].
	virtual bool GetString(const char* key, char** value);
	virtual bool SetString(const char* key, const char* value, bool notify);
	virtual bool GetInteger(const char* key, int32& value);
	virtual bool SetInteger(const char* key, int32 value, bool notify);
	virtual bool GetFloat(const char* key, float& value);
	virtual bool SetFloat(const char* key, float value, bool notify);
	virtual bool GetRect(const char* key, BRect* rect);
	virtual bool SetRect(const char* key, BRect* rect, bool notify);

	// Where the first failure to store a setting is reported: a copy of
	// notice, with "path" (string, the settings file or "" without one) and
	// "error" (int32, the status) added, posted to target. Set before the
	// store is used from other threads.
	void SetFailureNotice(BMessage* notice, BLooper* target);
	bool FailureReported() const { return fFailureReported; }

	// The settings file, or NULL when the store has none.
	const char* Path() const { return fPath; }

private:
	BPrefsHandler(const BPrefsHandler&) = delete;
	BPrefsHandler& operator=(const BPrefsHandler&) = delete;

	ssize_t _Read(const char* key, void* buffer, size_t size);
	bool _Write(const char* key, type_code type, const void* buffer, size_t size, bool notify);
	void _ReportFailure(status_t error);

	BList* fWindows;
	BMessage* fNotice;
	bool fChanged;
	char* fPath;
	BMessage* fFailureNotice;
	BLooper* fFailureTarget;
	std::atomic<bool> fFailureReported;
};

// The application's settings store, for the windows and views of the viewer;
// NULL without one (a view used on its own). The application object sets it
// for its own life.
BPrefsHandler* viewer_prefs();
void set_viewer_prefs(BPrefsHandler* prefs);

namespace glim {

// The user's home folder ("/" when it cannot be found).
std::string home_folder();
// A folder as stored in the settings, as a path here: settings written on
// the system the viewer comes from (or by its earlier versions) name the
// home folder "/boot/home".
std::string stored_folder(const char* stored);

} // namespace glim

#endif
