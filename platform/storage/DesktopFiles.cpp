#include "DesktopFiles.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <set>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BPrivate {

namespace {

typedef std::map<std::string, std::string> Group;

const char kSignaturePrefix[] = "application/x-vnd.desktop-";
const char kSignatureKey[] = "X-Glim-Signature";
// Subfolders of an applications folder are part of the ids; this deep is
// more than any desktop uses and stops link loops.
const int kMaxFolderDepth = 8;


std::string
environment(const char* name, const std::string& fallback = std::string())
{
	const char* value = getenv(name);
	return value != NULL && value[0] != '\0' ? std::string(value) : fallback;
}


std::vector<std::string>
split(const std::string& text, char separator)
{
	std::vector<std::string> parts;
	size_t start = 0;
	while (start <= text.size()) {
		size_t end = text.find(separator, start);
		if (end == std::string::npos)
			end = text.size();
		if (end > start)
			parts.push_back(text.substr(start, end - start));
		start = end + 1;
	}
	return parts;
}


std::string
trim(const std::string& text)
{
	size_t start = text.find_first_not_of(" \t");
	if (start == std::string::npos)
		return std::string();
	size_t end = text.find_last_not_of(" \t");
	return text.substr(start, end - start + 1);
}


// The escapes of a desktop-file string value: \s \n \t \r \\. Others stay as
// they are (a list's "\;" is undone when the list is split).
std::string
unescape(const std::string& value)
{
	std::string result;
	for (size_t i = 0; i < value.size(); i++) {
		if (value[i] != '\\' || i + 1 == value.size()) {
			result += value[i];
			continue;
		}
		char next = value[++i];
		switch (next) {
			case 's':
				result += ' ';
				break;
			case 'n':
				result += '\n';
				break;
			case 't':
				result += '\t';
				break;
			case 'r':
				result += '\r';
				break;
			case '\\':
				result += '\\';
				break;
			default:
				result += '\\';
				result += next;
				break;
		}
	}
	return result;
}


std::vector<std::string>
split_list(const std::string& value)
{
	std::vector<std::string> items;
	std::string current;
	for (size_t i = 0; i < value.size(); i++) {
		if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == ';') {
			current += ';';
			i++;
		} else if (value[i] == ';') {
			items.push_back(unescape(current));
			current.clear();
		} else
			current += value[i];
	}
	if (!current.empty())
		items.push_back(unescape(current));
	return items;
}


// The keys of one group of an ini-style file, values still escaped.
bool
read_group(const std::string& path, const std::string& name, Group& _group)
{
	std::ifstream file(path, std::ios::binary);
	if (!file)
		return false;
	std::string header = "[" + name + "]";
	bool inGroup = false;
	bool found = false;
	std::string line;
	while (std::getline(file, line)) {
		if (!line.empty() && line.back() == '\r')
			line.pop_back();
		if (line.empty() || line[0] == '#')
			continue;
		if (line[0] == '[') {
			inGroup = line == header;
			found = found || inGroup;
			continue;
		}
		size_t equals = line.find('=');
		if (!inGroup || equals == std::string::npos)
			continue;
		std::string key = trim(line.substr(0, equals));
		if (_group.find(key) == _group.end())
			_group[key] = trim(line.substr(equals + 1));
	}
	return found;
}


// The locale suffixes to try for localised keys, most specific first:
// lang_COUNTRY@MODIFIER, lang_COUNTRY, lang@MODIFIER, lang.
std::vector<std::string>
locale_suffixes()
{
	std::string locale = environment("LC_ALL", environment("LC_MESSAGES", environment("LANG")));
	std::string modifier;
	size_t at = locale.find('@');
	if (at != std::string::npos) {
		modifier = locale.substr(at);
		locale.erase(at);
	}
	size_t dot = locale.find('.');
	if (dot != std::string::npos)
		locale.erase(dot);
	std::vector<std::string> suffixes;
	if (locale.empty() || locale == "C" || locale == "POSIX")
		return suffixes;
	std::string language = locale.substr(0, locale.find('_'));
	if (!modifier.empty() && language != locale)
		suffixes.push_back(locale + modifier);
	if (language != locale)
		suffixes.push_back(locale);
	if (!modifier.empty())
		suffixes.push_back(language + modifier);
	suffixes.push_back(language);
	return suffixes;
}


std::string
localized(const Group& group, const std::string& key, const std::vector<std::string>& suffixes)
{
	for (const std::string& suffix : suffixes) {
		auto found = group.find(key + "[" + suffix + "]");
		if (found != group.end())
			return unescape(found->second);
	}
	auto found = group.find(key);
	return found != group.end() ? unescape(found->second) : std::string();
}


std::string
value_of(const Group& group, const std::string& key)
{
	auto found = group.find(key);
	return found != group.end() ? unescape(found->second) : std::string();
}


bool
is_true(const Group& group, const std::string& key)
{
	return value_of(group, key) == "true";
}


bool
is_folder(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}


// Desktop files under folder, with their ids: the path below the
// applications folder with "/" turned into "-".
void
collect_files(const std::string& folder, const std::string& prefix, int depth,
	std::vector<std::pair<std::string, std::string>>& _files)
{
	DIR* directory = opendir(folder.c_str());
	if (directory == NULL)
		return;
	std::vector<std::string> names;
	while (struct dirent* entry = readdir(directory)) {
		std::string name = entry->d_name;
		if (name != "." && name != "..")
			names.push_back(name);
	}
	closedir(directory);
	std::sort(names.begin(), names.end());
	for (const std::string& name : names) {
		std::string path = folder + "/" + name;
		if (is_folder(path)) {
			if (depth < kMaxFolderDepth)
				collect_files(path, prefix + name + "-", depth + 1, _files);
		} else if (name.size() > 8 && name.compare(name.size() - 8, 8, ".desktop") == 0)
			_files.push_back({prefix + name, path});
	}
}


// The files are read again only when one of them (or the environment they
// depend on) changed: a menu asks about every application it lists.
std::mutex sCacheLock;
std::string sCachedState;
std::vector<DesktopApplication> sCachedApplications;


std::string
file_state(const std::string& path)
{
	struct stat info;
	if (stat(path.c_str(), &info) != 0)
		return path + "\n";
	return path + " " + std::to_string(info.st_ino) + " " + std::to_string(info.st_size) + " "
		+ std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec)
		+ "\n";
}


// The folders that may hold mimeapps.list, in precedence order, each with
// the desktop-specific lists before the common one.
std::vector<std::string>
mimeapps_files()
{
	std::string home = environment("HOME");
	std::vector<std::string> folders;
	folders.push_back(environment("XDG_CONFIG_HOME", home.empty() ? "" : home + "/.config"));
	for (const std::string& folder : split(environment("XDG_CONFIG_DIRS", "/etc/xdg"), ':'))
		folders.push_back(folder);
	for (const std::string& folder : application_folders())
		folders.push_back(folder);

	std::vector<std::string> desktops = split(lower_case(environment("XDG_CURRENT_DESKTOP")),
		':');
	std::vector<std::string> files;
	for (const std::string& folder : folders) {
		if (folder.empty())
			continue;
		for (const std::string& desktop : desktops)
			files.push_back(folder + "/" + desktop + "-mimeapps.list");
		files.push_back(folder + "/mimeapps.list");
	}
	return files;
}

} // namespace


std::string
lower_case(const std::string& text)
{
	std::string result = text;
	for (char& c : result) {
		if (c >= 'A' && c <= 'Z')
			c = (char)(c - 'A' + 'a');
	}
	return result;
}


std::vector<std::string>
application_folders()
{
	std::vector<std::string> folders;
	std::string home = environment("HOME");
	std::string dataHome = environment("XDG_DATA_HOME",
		home.empty() ? "" : home + "/.local/share");
	if (!dataHome.empty())
		folders.push_back(dataHome + "/applications");
	for (const std::string& folder :
		split(environment("XDG_DATA_DIRS", "/usr/local/share:/usr/share"), ':'))
		folders.push_back(folder + "/applications");
	return folders;
}


bool
read_desktop_file(const std::string& path, const std::string& id,
	DesktopApplication& _application, bool& _hidden)
{
	_hidden = false;
	Group group;
	if (!read_group(path, "Desktop Entry", group))
		return false;
	if (is_true(group, "Hidden")) {
		_hidden = true;
		return false;
	}
	std::string tryExec = value_of(group, "TryExec");
	std::string program;
	if (value_of(group, "Type") != "Application" || value_of(group, "Exec").empty()
		|| (!tryExec.empty() && !find_program(tryExec, program)))
		return false;

	std::vector<std::string> suffixes = locale_suffixes();
	DesktopApplication application;
	application.id = id;
	application.file = path;
	application.signature = value_of(group, kSignatureKey);
	if (application.signature.empty())
		application.signature = kSignaturePrefix + id.substr(0, id.size() - 8);
	application.name = localized(group, "Name", suffixes);
	application.genericName = localized(group, "GenericName", suffixes);
	application.comment = localized(group, "Comment", suffixes);
	application.icon = localized(group, "Icon", suffixes);
	application.exec = value_of(group, "Exec");
	application.workingFolder = value_of(group, "Path");
	auto types = group.find("MimeType");
	if (types != group.end()) {
		for (const std::string& type : split_list(types->second)) {
			std::string clean = lower_case(trim(type));
			if (!clean.empty())
				application.mimeTypes.push_back(clean);
		}
	}
	application.noDisplay = is_true(group, "NoDisplay");
	application.terminal = is_true(group, "Terminal");
	_application = application;
	return true;
}


std::vector<DesktopApplication>
installed_applications()
{
	std::vector<std::vector<std::pair<std::string, std::string>>> folders;
	std::string state = environment("LC_ALL") + ";" + environment("LC_MESSAGES") + ";"
		+ environment("LANG") + ";" + environment("PATH") + "\n";
	for (const std::string& folder : application_folders()) {
		folders.emplace_back();
		collect_files(folder, "", 0, folders.back());
		for (const auto& file : folders.back())
			state += file_state(file.second);
	}
	std::lock_guard<std::mutex> guard(sCacheLock);
	if (state == sCachedState)
		return sCachedApplications;

	std::set<std::string> seen;
	std::vector<DesktopApplication> applications;
	for (const auto& files : folders) {
		for (const auto& [id, path] : files) {
			if (!seen.insert(id).second)
				continue;
			DesktopApplication application;
			bool hidden;
			if (read_desktop_file(path, id, application, hidden))
				applications.push_back(application);
		}
	}
	sCachedState = state;
	sCachedApplications = applications;
	return applications;
}


bool
find_application(const std::string& signature, DesktopApplication& _application)
{
	std::string wanted = lower_case(signature);
	for (const DesktopApplication& application : installed_applications()) {
		if (lower_case(application.signature) == wanted) {
			_application = application;
			return true;
		}
	}
	return false;
}


std::vector<std::string>
default_application_ids(const std::string& type)
{
	std::string wanted = lower_case(type);
	std::vector<std::string> ids;
	for (const std::string& path : mimeapps_files()) {
		Group group;
		if (!read_group(path, "Default Applications", group))
			continue;
		for (const auto& [key, value] : group) {
			if (lower_case(key) != wanted)
				continue;
			for (const std::string& id : split_list(value)) {
				std::string clean = trim(id);
				if (!clean.empty() && std::find(ids.begin(), ids.end(), clean) == ids.end())
					ids.push_back(clean);
			}
		}
	}
	return ids;
}


bool
find_program(const std::string& name, std::string& _path)
{
	if (name.empty())
		return false;
	auto executable = [](const std::string& path) {
		struct stat info;
		return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)
			&& access(path.c_str(), X_OK) == 0;
	};
	if (name.find('/') != std::string::npos) {
		if (!executable(name))
			return false;
		_path = name;
		return true;
	}
	for (const std::string& folder :
		split(environment("PATH", "/usr/local/bin:/usr/bin:/bin"), ':')) {
		std::string path = folder + "/" + name;
		if (executable(path)) {
			_path = path;
			return true;
		}
	}
	return false;
}

} // namespace BPrivate
