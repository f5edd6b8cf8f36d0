#ifndef GLIM_TEST_SUPPORT_H
#define GLIM_TEST_SUPPORT_H

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace glim_test {

// A temporary folder removed with everything in it when the object dies.
class TempDir {
public:
	explicit TempDir(const char* tag = "test");
	~TempDir();

	const std::string& Path() const { return fPath; }
	std::string operator/(const std::string& name) const { return fPath + "/" + name; }

private:
	std::string fPath;
};

// Sets an environment variable (or unsets it for NULL) for one test and puts
// it back when the object dies.
class ScopedVariable {
public:
	ScopedVariable(const char* name, const char* value) :
		fName(name),
		fHad(getenv(name) != nullptr),
		fOld(fHad ? getenv(name) : "")
	{
		if (value != nullptr)
			setenv(name, value, 1);
		else
			unsetenv(name);
	}
	~ScopedVariable()
	{
		if (fHad)
			setenv(fName.c_str(), fOld.c_str(), 1);
		else
			unsetenv(fName.c_str());
	}

private:
	ScopedVariable(const ScopedVariable&) = delete;
	ScopedVariable& operator=(const ScopedVariable&) = delete;

	std::string fName;
	bool fHad;
	std::string fOld;
};

// Joins two path parts with a slash: dir / "sub" / "file".
inline std::string
operator/(const std::string& folder, const std::string& name)
{
	return folder + "/" + name;
}

void MakeDirs(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);
void WriteFile(const std::string& path, const std::vector<char>& contents);
std::vector<char> ReadFile(const std::string& path);
bool Exists(const std::string& path);

// True when the process may mount file systems (it runs as root with the
// needed capability). Tests that mount a tmpfs or ramfs skip otherwise.
bool CanMount();

// Mounts a file system of the given type (tmpfs, ramfs) with options on a
// new folder under parent; returns the mount point or "" when not permitted.
// The mount is removed by Unmount.
std::string Mount(const std::string& parent, const char* type, const char* options);
void Unmount(const std::string& mountPoint);

// Writes a width x height image filled with one colour (red, green, blue)
// through the translators, in the format with type code format ('PNG ' when
// 0); the left half may be given another colour to tell the sides apart.
// Returns false when it could not be written.
bool WriteImage(const std::string& path, int width, int height, unsigned color,
	unsigned format = 0, unsigned leftColor = 0xffffffff);

// Waits, handling Qt events if an application exists, until the condition
// holds or the timeout (microseconds) passes. Returns the condition.
bool WaitFor(const std::function<bool()>& condition, long long timeout = 5000000);

// The file's bytes as a string ("" when it cannot be read).
std::string ReadText(const std::string& path);

// A folder holding only a link to the machine's type database, made once
// for the whole run (the toolkit keeps the database it found for a while), to
// put on XDG_DATA_DIRS beside a test's own applications.
std::string MimeDatabaseFolder();

// The names in a folder, without "." and "..", in the order the folder
// gives them.
std::vector<std::string> ListFolder(const std::string& folder);

} // namespace glim_test

#endif
