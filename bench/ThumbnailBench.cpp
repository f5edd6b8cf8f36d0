// Making the thumbnails of a folder of photographs with the worker as it
// runs in the program, and drawing a full page of the grid.
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include <Bitmap.h>

#include "BenchSupport.h"
#include "TestHooks.h"
#include "thumbnails/ThumbnailContainerView.h"
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

void
BM_MakeThumbnails(benchmark::State& state)
{
	int megapixels = (int)state.range(0);
	const int count = 6;
	BViewerWin* window = OpenWindow(photos(megapixels, count), 900, 700);
	RunEventsUntil([](BViewerWin* w) { return !w->WorkerRunning(); }, window, 600000000);
	for (auto _ : state) {
		window->Lock();
		window->RefreshThumbnails(true);
		window->Unlock();
		RunEventsUntil([](BViewerWin* w) { return !w->WorkerRunning(); }, window, 600000000);
	}
	state.counters["images/s"] = benchmark::Counter(count,
		benchmark::Counter::kIsIterationInvariantRate);
	CloseWindow(window);
}
BENCHMARK(BM_MakeThumbnails)
	->Arg(12)
	->Arg(24)
	->Unit(benchmark::kMillisecond)
	->UseRealTime()
	->Iterations(3);

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
