#ifndef _ROSTER_H
#define _ROSTER_H

#include <Application.h>
#include <SupportDefs.h>

class BMessage;
struct entry_ref;

// The applications of the desktop: its .desktop files, each known by a
// signature (see BMimeType). Launching starts a process of its own session
// and does not wait for it; the files of a B_REFS_RECEIVED initial message
// ("refs") are handed over on its command line as its desktop file's Exec
// line asks. Only this application counts as running. Safe from any thread.
class BRoster {
public:
	BRoster();
	~BRoster();

	bool IsRunning(const char* signature) const;
	// Only for a running application: B_ERROR otherwise.
	status_t GetAppInfo(const char* signature, app_info* info) const;

	// B_LAUNCH_FAILED_APP_NOT_FOUND when no application has the signature.
	// This application's own signature starts its own executable, whose
	// single launch hands the files to the running instance.
	status_t Launch(const char* signature, BMessage* initialMessage = NULL,
		team_id* appTeam = NULL) const;
	// Opens the entry with the application preferred for its type (the
	// desktop's default, else the first that supports it, else xdg-open).
	// B_ENTRY_NOT_FOUND when the entry does not exist,
	// B_LAUNCH_FAILED_NO_PREFERRED_APP when nothing can open it.
	status_t Launch(const entry_ref* ref, const BMessage* initialMessage = NULL,
		team_id* appTeam = NULL) const;

private:
	BRoster(const BRoster&) = delete;
	BRoster& operator=(const BRoster&) = delete;
};

extern BRoster* be_roster;

#endif
