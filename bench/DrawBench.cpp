// Drawing a 24-megapixel photograph in the image view: fitted into the
// window, and at 100% while scrolling.
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include <Bitmap.h>

#include "BenchSupport.h"
#include "imageview/ImageView.h"
#include "TestHooks.h"
#include "mainwindow/ViewerWin.h"

using namespace glim_bench;

namespace {

std::string
photo_folder()
{
	std::string folder = DataFolder("photo-24mp");
	if (!Exists(folder + "/photo.jpg"))
		WritePhoto(folder + "/photo.jpg", 6000, 4000, 1);
	return folder;
}

BViewerWin*
open_photo(bool fit)
{
	BViewerWin* window = OpenWindow(photo_folder(), 1200, 800);
	window->Lock();
	window->ImageView()->SetResizeOptions(fit, fit);
	window->MoveToImage(0);
	window->SwitchToThumbnail(false);
	window->Unlock();
	RunEvents(200000);
	return window;
}

void
BM_DrawFitted(benchmark::State& state)
{
	BViewerWin* window = open_photo(true);
	for (auto _ : state) {
		window->Lock();
		window->ImageView()->Invalidate();
		window->Unlock();
		std::unique_ptr<BBitmap> frame = BPrivate::grab_window(window);
		benchmark::DoNotOptimize(frame);
	}
	CloseWindow(window);
}
BENCHMARK(BM_DrawFitted)->Unit(benchmark::kMillisecond)->UseRealTime();

void
BM_DrawScrollingAtFullSize(benchmark::State& state)
{
	BViewerWin* window = open_photo(false);
	float dx = 37;
	float dy = 23;
	for (auto _ : state) {
		window->Lock();
		BImageView* view = window->ImageView();
		if (view->Bounds().right + dx > 5999 || view->Bounds().left + dx < 0)
			dx = -dx;
		if (view->Bounds().bottom + dy > 3999 || view->Bounds().top + dy < 0)
			dy = -dy;
		view->ScrollBy(dx, dy);
		window->Unlock();
		std::unique_ptr<BBitmap> frame = BPrivate::grab_window(window);
		benchmark::DoNotOptimize(frame);
	}
	CloseWindow(window);
}
BENCHMARK(BM_DrawScrollingAtFullSize)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
