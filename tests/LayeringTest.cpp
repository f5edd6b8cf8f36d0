// The layering of the system's folders, read from the #include lines of the
// sources: dependencies point down, platform <- settings <- {imageview,
// widgets, foldertree, thumbnails, save} <- mainwindow <- app, and nothing
// in the system reaches Qt or the platform's private headers.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

const std::map<std::string, int> kLayers = {{"settings", 1}, {"imageview", 2}, {"widgets", 2},
	{"foldertree", 2}, {"thumbnails", 2}, {"save", 2}, {"mainwindow", 3}, {"app", 4}};

// The edges against the direction the design itself needs: (folder of the
// including file, included header); "*" stands for every folder.
struct AllowedEdge {
	const char* from;
	const char* header;
	const char* reason;
};

const AllowedEdge kAllowed[] = {
	{"*", "app/Commands.h",
		"the table of every internal command: constants that views post to windows"},
	{"*", "app/ErrorAlert.h",
		"the alert routine through which every failure the user must see is shown"},
	{"mainwindow", "app/ViewerApp.h",
		"a main window tells the application when it closes and asks the volume test"},
	{"thumbnails", "app/ViewerApp.h",
		"the volume test decides between attribute and side-file thumbnails"},
	{"widgets", "app/ViewerApp.h", "the preferences window belongs to the application"},
	{"thumbnails", "mainwindow/ViewerWin.h",
		"the grid reads its window's image list and posts to its window"},
};

// resources/ is not listed: it is a build tool (mkresources draws the
// program's pictures with Qt at build time) and no part of the program.

// The names of the headers in the platform's private folders.
std::set<std::string>
private_headers(const fs::path& root)
{
	std::set<std::string> names;
	for (const auto& entry : fs::recursive_directory_iterator(root / "platform")) {
		if (entry.path().parent_path().filename() == "private")
			names.insert(entry.path().filename().string());
	}
	return names;
}

// Every include in the system's folders under root that breaks the layering,
// one line each.
std::vector<std::string>
layering_faults(const fs::path& root)
{
	std::vector<std::string> faults;
	std::set<std::string> hidden = private_headers(root);
	const std::regex include("^\\s*#\\s*include\\s*([<\"])([^>\"]+)[>\"]");
	for (const auto& [folder, rank] : kLayers) {
		if (!fs::is_directory(root / fs::path(folder)))
			continue;
		for (const auto& entry : fs::recursive_directory_iterator(root / fs::path(folder))) {
			std::string extension = entry.path().extension().string();
			if (extension != ".cpp" && extension != ".h")
				continue;
			fs::path relative = fs::relative(entry.path(), root);
			// The main window's members kept in another subsystem's folder
			// (ViewerWin*.cpp) are part of the main window.
			std::string from = relative.filename().string().rfind("ViewerWin", 0) == 0
				? "mainwindow"
				: relative.begin()->string();
			std::ifstream in(entry.path());
			std::string line;
			for (int number = 1; std::getline(in, line); number++) {
				std::smatch match;
				if (!std::regex_search(line, match, include))
					continue;
				std::string header = match[2];
				std::string where = relative.string() + ":" + std::to_string(number) + ": ";
				if (header.rfind("Q", 0) == 0 || header.rfind("qt", 0) == 0)
					faults.push_back(where + "Qt header " + header);
				else if (hidden.count(fs::path(header).filename().string()) != 0)
					faults.push_back(where + "platform private header " + header);
				if (match[1] != "\"")
					continue;
				size_t slash = header.find('/');
				std::string to = header.substr(0, slash);
				auto target = kLayers.find(to);
				if (slash == std::string::npos || target == kLayers.end()) {
					faults.push_back(where + "include without its folder " + header);
					continue;
				}
				bool allowed = std::any_of(std::begin(kAllowed), std::end(kAllowed),
					[&](const AllowedEdge& edge) {
						return (from == edge.from || std::string(edge.from) == "*")
							&& header == edge.header;
					});
				if (to != from && target->second >= kLayers.at(from) && !allowed)
					faults.push_back(where + from + " -> " + header);
			}
		}
	}
	return faults;
}

} // namespace

TEST(LayeringTest, SystemFoldersOnlyIncludeDownward)
{
	fs::path root = fs::path(GLIM_RESOURCES_SOURCE_DIR).parent_path();
	ASSERT_TRUE(fs::is_directory(root / "mainwindow")) << root;
	ASSERT_FALSE(private_headers(root).empty());
	std::vector<std::string> faults = layering_faults(root);
	EXPECT_TRUE(faults.empty()) << testing::PrintToString(faults);
}

// The check itself, on a small tree: each case adds one include to a file
// and expects it reported or not.
TEST(LayeringTest, ReportsEachKindOfForbiddenInclude)
{
	struct Case {
		const char* file;
		const char* include;
		bool fault;
	} cases[] = {
		{"mainwindow/W.cpp", "#include \"settings/PrefsHandler.h\"", false},
		{"settings/P.cpp", "#include \"imageview/ImageView.h\"", true},
		{"imageview/I.cpp", "#include \"thumbnails/Store.h\"", true},
		{"imageview/I.cpp", "#include \"mainwindow/ViewerWin.h\"", true},
		{"thumbnails/T.cpp", "#include \"mainwindow/ViewerWin.h\"", false},
		{"save/ViewerWinSave.cpp", "#include \"imageview/ImageView.h\"", false},
		{"widgets/W.cpp", "#include \"app/Commands.h\"", false},
		{"settings/P.cpp", "#include \"app/ViewerApp.h\"", true},
		{"widgets/W.cpp", "#include \"Toolbar.h\"", true},
		{"widgets/W.cpp", "#include <QWidget>", true},
		{"app/A.cpp", "  #  include <WindowPrivate.h>", true},
		{"app/A.cpp", "#include <Window.h>", false},
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(std::string(test.file) + ": " + test.include);
		glim_test::TempDir dir("layering");
		fs::path root(dir.Path());
		fs::create_directories(root / "platform/interface/private");
		glim_test::WriteFile((root / "platform/interface/private/WindowPrivate.h").string(),
			"");
		fs::create_directories((root / test.file).parent_path());
		glim_test::WriteFile((root / test.file).string(),
			std::string("// a file\n") + test.include + "\n");
		std::vector<std::string> faults = layering_faults(root);
		EXPECT_EQ(faults.size(), test.fault ? 1u : 0u) << testing::PrintToString(faults);
	}
}
