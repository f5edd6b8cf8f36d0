#include "TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <sys/mount.h>
#include <unistd.h>

#include <AppPrivate.h>
#include <Bitmap.h>
#include <BitmapStream.h>
#include <File.h>
#include <TranslatorRoster.h>

namespace glim_test {

TempDir::TempDir(const char* tag)
{
	fPath = std::filesystem::temp_directory_path().string() + "/glim-" + tag + "-XXXXXX";
	if (mkdtemp(fPath.data()) == nullptr)
		abort();
}

TempDir::~TempDir()
{
	std::error_code ignored;
	std::filesystem::remove_all(fPath, ignored);
}

void
MakeDirs(const std::string& path)
{
	std::filesystem::create_directories(path);
}

void
WriteFile(const std::string& path, const std::string& contents)
{
	std::ofstream out(path, std::ios::binary | std::ios::trunc);
	out.write(contents.data(), contents.size());
}

void
WriteFile(const std::string& path, const std::vector<char>& contents)
{
	WriteFile(path, std::string(contents.begin(), contents.end()));
}

std::vector<char>
ReadFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

bool
Exists(const std::string& path)
{
	return access(path.c_str(), F_OK) == 0;
}

std::string
Mount(const std::string& parent, const char* type, const char* options)
{
	std::string point = parent + "/mnt-" + type + "-" + std::to_string(rand());
	MakeDirs(point);
	if (mount(type, point.c_str(), type, 0, options) != 0) {
		rmdir(point.c_str());
		return "";
	}
	return point;
}

void
Unmount(const std::string& mountPoint)
{
	if (mountPoint.empty())
		return;
	umount2(mountPoint.c_str(), MNT_DETACH);
	rmdir(mountPoint.c_str());
}

bool
CanMount()
{
	static int sCan = -1;
	if (sCan < 0) {
		TempDir probe("mount-probe");
		std::string point = Mount(probe.Path(), "tmpfs", "size=64k");
		sCan = point.empty() ? 0 : 1;
		Unmount(point);
	}
	return sCan == 1;
}

bool
WriteImage(const std::string& path, int width, int height, unsigned color, unsigned format,
	unsigned leftColor)
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, width - 1, height - 1), B_RGB32);
	if (bitmap->InitCheck() != B_OK) {
		delete bitmap;
		return false;
	}
	for (int y = 0; y < height; y++) {
		uint32* row = (uint32*)((uint8*)bitmap->Bits() + y * bitmap->BytesPerRow());
		for (int x = 0; x < width; x++) {
			unsigned rgb = leftColor != 0xffffffff && x < width / 2 ? leftColor : color;
			row[x] = 0xff000000 | rgb;
		}
	}
	BBitmapStream stream(bitmap);
	BFile file(path.c_str(), B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE);
	return file.InitCheck() == B_OK
		&& BTranslatorRoster::Default()->Translate(&stream, NULL, NULL, &file,
			   format != 0 ? format : 'PNG ')
		== B_OK;
}

bool
WaitFor(const std::function<bool()>& condition, long long timeout)
{
	return BPrivate::process_events_until(condition, timeout);
}

std::string
ReadText(const std::string& path)
{
	std::vector<char> data = ReadFile(path);
	return std::string(data.begin(), data.end());
}

std::string
MimeDatabaseFolder()
{
	static TempDir folder("mime-data");
	static bool linked = symlink("/usr/share/mime", (folder / "mime").c_str()) == 0;
	(void)linked;
	return folder.Path();
}

std::vector<std::string>
ListFolder(const std::string& folder)
{
	std::vector<std::string> names;
	std::error_code error;
	for (const auto& entry : std::filesystem::directory_iterator(folder, error))
		names.push_back(entry.path().filename().string());
	return names;
}

} // namespace glim_test
