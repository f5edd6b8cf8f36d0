#ifndef _DESKTOP_FILES_H
#define _DESKTOP_FILES_H

#include <string>
#include <vector>

#include <SupportDefs.h>

// The desktop's applications, as the freedesktop .desktop files describe
// them. Private to the layer: BMimeType and BRoster are built on it. Paths
// are bytes; texts (names, comments) are UTF-8 as the files hold them.
namespace BPrivate {

// One installed application. Its signature is the file's X-Glim-Signature
// when it has one, else "application/x-vnd.desktop-" and the desktop-file id
// without ".desktop".
struct DesktopApplication {
	std::string id;
	std::string file;
	std::string signature;
	std::string name;
	std::string genericName;
	std::string comment;
	std::string icon;
	std::string exec;
	std::string workingFolder;
	// Lower case, as declared (wildcards such as "image/*" included).
	std::vector<std::string> mimeTypes;
	bool noDisplay = false;
	bool terminal = false;
};

// $XDG_DATA_HOME/applications, then each of $XDG_DATA_DIRS/applications, in
// precedence order.
std::vector<std::string> application_folders();

// Every application, in precedence order and by id within a folder. The
// first file found with an id wins; a Hidden one removes the id; files that
// are not applications, or whose TryExec program is missing, are left out.
// The files are read on every call, so the answer is always current.
std::vector<DesktopApplication> installed_applications();

bool find_application(const std::string& signature, DesktopApplication& _application);

// The desktop-file ids that mimeapps.list makes the default for a type, in
// order of preference (installed or not).
std::vector<std::string> default_application_ids(const std::string& type);

// Reads one desktop file. _hidden tells a Hidden=true file apart from one
// that cannot be read or is not an application (both false results).
bool read_desktop_file(const std::string& path, const std::string& id,
	DesktopApplication& _application, bool& _hidden);

// Searches $PATH for a program name (a name with a "/" is taken as it is);
// true when the result is an executable file.
bool find_program(const std::string& name, std::string& _path);

// ASCII lower case: MIME types compare without case.
std::string lower_case(const std::string& text);

} // namespace BPrivate

#endif
