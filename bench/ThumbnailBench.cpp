// Making the thumbnails of a folder of photographs with the worker as it
// runs in the program, and drawing a full page of the grid. With
// GLIM_BENCH_SETS naming a folder, each of its subfolders is also timed as a
// set of photographs (bench/peers.sh makes them and times the peers on the
// same files).
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include <Bitmap.h>
#include <DataIO.h>
#include <File.h>

#include "BenchSupport.h"
#include "ImageDifference.h"
#include "TestHooks.h"
#include "settings/ImageServices.h"
#include "settings/PrefsHandler.h"
#include "settings/SettingsKeys.h"
#include "thumbnails/ThumbnailContainerView.h"
#include "thumbnails/ThumbnailReader.h"
#include "thumbnails/ThumbnailStore.h"
#include "mainwindow/ViewerWin.h"

using namespace glim_bench;

namespace {

std::string
photos(int megapixels, int count)
{
	std::string folder = DataFolder("photos-" + std::to_string(megapixels) + "mp");
	int width = megapixels == 24 ? 6000 : 4000;
	int height = megapixels == 24 ? 4000 : 3000;
	for (int i = 0; i < count; i++) {
		std::string path = folder + "/photo" + std::to_string(i) + ".jpg";
		if (!Exists(path))
			WritePhoto(path, width, height, i);
	}
	return folder;
}

// How far the worker's thumbnails of a folder are from ones scaled from the
// whole decoded image: the largest mean difference per channel over its
// first few images.
double
largest_difference(const std::string& folder)
{
	float tw = glim::kDefaultThumbSize;
	float th = glim::kDefaultThumbSize;
	if (BPrefsHandler* prefs = viewer_prefs()) {
		prefs->GetFloat(glim::kKeyThumbWidth, tw);
		prefs->GetFloat(glim::kKeyThumbHeight, th);
	}
	double largest = 0;
	int compared = 0;
	for (const auto& entry : std::filesystem::directory_iterator(folder)) {
		std::string path = entry.path().string();
		if (compared == 3 || glim::is_side_file(path.c_str()))
			continue;
		std::unique_ptr<BBitmap> stored(glim::read_thumbnail_bitmap(path.c_str()));
		BFile file(path.c_str(), B_READ_ONLY);
		std::unique_ptr<BBitmap> whole(glim::decode_image(&file));
		if (!stored || !whole)
			return 1e9;
		BRect bounds = whole->Bounds();
		float s = glim::thumbnail_scale(bounds.Width(), bounds.Height(), tw, th);
		std::unique_ptr<BBitmap> scaled(glim::draw_over_black(whole.get(), bounds,
			BRect(0, 0, bounds.Width() * s, bounds.Height() * s)));
		BMallocIO jpeg;
		if (!scaled || glim::encode_image(scaled.get(), &jpeg, 'JPEG') != B_OK)
			return 1e9;
		std::unique_ptr<BBitmap> reference(
			glim::decode_image(jpeg.Buffer(), jpeg.BufferLength()));
		if (!reference)
			return 1e9;
		largest = std::max(largest, glim_test::mean_difference(stored.get(), reference.get()));
		compared++;
	}
	return largest;
}

// The worker making every thumbnail of a folder, from a start with no
// thumbnail stored until every image holds current ones.
void
make_thumbnails_of(benchmark::State& state, std::string folder)
{
	size_t count = 0;
	for (const auto& entry : std::filesystem::directory_iterator(folder))
		count += entry.is_regular_file() && !glim::is_side_file(entry.path().c_str());
	BViewerWin* window = OpenWindow(folder, 900, 700);
	RunEventsUntil([](BViewerWin* w) { return !w->WorkerRunning(); }, window, 600000000);
	for (auto _ : state) {
		window->Lock();
		window->RefreshThumbnails(true);
		window->Unlock();
		RunEventsUntil([](BViewerWin* w) { return !w->WorkerRunning(); }, window, 600000000);
	}
	state.counters["images"] = count;
	state.counters["difference"] = largest_difference(folder);
	state.counters["images/s"] = benchmark::Counter(count,
		benchmark::Counter::kIsIterationInvariantRate);
	CloseWindow(window);
}

void
BM_MakeThumbnails(benchmark::State& state)
{
	make_thumbnails_of(state, photos((int)state.range(0), 6));
}
BENCHMARK(BM_MakeThumbnails)
	->Arg(12)
	->Arg(24)
	->Unit(benchmark::kMillisecond)
	->UseRealTime()
	->Iterations(3);

int
register_sets()
{
	const char* sets = getenv("GLIM_BENCH_SETS");
	if (sets == NULL || !std::filesystem::is_directory(sets))
		return 0;
	for (const auto& entry : std::filesystem::directory_iterator(sets)) {
		if (!entry.is_directory())
			continue;
		std::string name = "BM_MakeThumbnailsOf/" + entry.path().filename().string();
		benchmark::RegisterBenchmark(name.c_str(), make_thumbnails_of, entry.path().string())
			->Unit(benchmark::kMillisecond)
			->UseRealTime()
			->Iterations(1);
	}
	return 0;
}
const int kSetsRegistered = register_sets();

void
BM_DrawGridPage(benchmark::State& state)
{
	std::string folder = DataFolder("grid-page");
	for (int i = 0; i < 40; i++) {
		std::string path = folder + "/image" + std::to_string(i) + ".jpg";
		if (!Exists(path))
			WritePhoto(path, 800, 600, i);
	}
	BViewerWin* window = OpenWindow(folder, 1000, 760);
	RunEventsUntil([](BViewerWin* w) { return !w->WorkerRunning(); }, window, 600000000);
	for (auto _ : state) {
		window->Lock();
		window->ThumbnailView()->Invalidate();
		window->Unlock();
		std::unique_ptr<BBitmap> frame = BPrivate::grab_window(window);
		benchmark::DoNotOptimize(frame);
	}
	CloseWindow(window);
}
BENCHMARK(BM_DrawGridPage)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
