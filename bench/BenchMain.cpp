// Runs the benchmarks inside a real application object, with a temporary
// home so the user's settings are never touched.
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include <benchmark/benchmark.h>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <File.h>
#include <TranslatorRoster.h>
#include <Window.h>

#include "BenchSupport.h"
#include "TestHooks.h"
#include "app/ViewerApp.h"
#include "mainwindow/ViewerWin.h"

namespace glim_bench {

std::string
DataFolder(const std::string& name)
{
	std::string path = std::filesystem::temp_directory_path().string() + "/glim-bench/" + name;
	std::filesystem::create_directories(path);
	return path;
}

bool
Exists(const std::string& path)
{
	return std::filesystem::exists(path);
}

static bool
write_bitmap(BBitmap* bitmap, const std::string& path, unsigned format)
{
	BBitmapStream stream(bitmap);
	BFile file(path.c_str(), B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE);
	return file.InitCheck() == B_OK
		&& BTranslatorRoster::Default()->Translate(&stream, NULL, NULL, &file, format) == B_OK;
}

bool
WritePhoto(const std::string& path, int width, int height, unsigned seed)
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, width - 1, height - 1), B_RGB32);
	std::mt19937 random(seed);
	for (int y = 0; y < height; y++) {
		uint32* row = (uint32*)((uint8*)bitmap->Bits() + y * bitmap->BytesPerRow());
		for (int x = 0; x < width; x++) {
			uint32 noise = random() & 0x0f;
			uint32 r = (x * 255 / width + noise) & 0xff;
			uint32 g = (y * 255 / height + noise) & 0xff;
			uint32 b = ((x + y) * 128 / (width + height) + seed * 40) & 0xff;
			row[x] = 0xff000000 | (r << 16) | (g << 8) | b;
		}
	}
	return write_bitmap(bitmap, path, 'JPEG');
}

bool
WriteFlatImage(const std::string& path, int width, int height, unsigned format)
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, width - 1, height - 1), B_RGB32);
	uint32* pixels = (uint32*)bitmap->Bits();
	for (int i = 0; i < width * height; i++)
		pixels[i] = 0xff336699;
	return write_bitmap(bitmap, path, format);
}

void
RunEvents(long long microseconds)
{
	BPrivate::run_events_until([] { return false; }, microseconds);
}

bool
RunEventsUntil(bool (*condition)(BViewerWin*), BViewerWin* window, long long timeout)
{
	return BPrivate::run_events_until([&] { return condition(window); }, timeout);
}

BViewerWin*
OpenWindow(const std::string& folder, float width, float height)
{
	BViewerWin* window = new BViewerWin(BRect(50, 50, 50 + width, 50 + height), folder.c_str(),
		true);
	window->Show();
	RunEventsUntil([](BViewerWin* w) { return w->FolderPath() != NULL; }, window, 60000000);
	return window;
}

void
CloseWindow(BViewerWin* window)
{
	if (window->Lock())
		window->Quit();
	RunEvents(100000);
}

} // namespace glim_bench

int
main(int argc, char** argv)
{
	setenv("QT_QPA_PLATFORM", "offscreen", 0);
	std::string home = glim_bench::DataFolder("home");
	setenv("HOME", home.c_str(), 1);
	setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
	setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);

	benchmark::Initialize(&argc, argv);
	BViewerApp* app = new BViewerApp("application/x-vnd.glim-bench");
	benchmark::RunSpecifiedBenchmarks();
	delete app;
	return 0;
}
