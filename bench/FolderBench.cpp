// Reading and identifying a folder of 10,000 entries, as a main window does
// when a folder opens or changes on disk.
#include <string>

#include <benchmark/benchmark.h>

#include <Window.h>

#include "BenchSupport.h"
#include "mainwindow/ViewerWin.h"

using namespace glim_bench;

namespace {

std::string
make_folder()
{
	std::string folder = DataFolder("folder-10000");
	if (Exists(folder + "/entry09999.txt"))
		return folder;
	std::string image = folder + "/entry00000.png";
	WriteFlatImage(image, 64, 48, 'PNG ');
	for (int i = 1; i < 10000; i++) {
		char name[64];
		bool isImage = i % 5 == 0;
		snprintf(name, sizeof(name), "%s/entry%05d.%s", folder.c_str(), i,
			isImage ? "png" : "txt");
		if (isImage)
			WriteFlatImage(name, 64, 48, i % 10 == 0 ? 'PNG ' : 'JPEG');
		else {
			FILE* file = fopen(name, "w");
			fprintf(file, "not an image, entry %d\n", i);
			fclose(file);
		}
	}
	return folder;
}

void
BM_ReadFolder(benchmark::State& state)
{
	std::string folder = make_folder();
	BViewerWin* window = OpenWindow(folder, 800, 600);
	RunEventsUntil([](BViewerWin* w) { return !w->WorkerRunning(); }, window, 600000000);
	for (auto _ : state) {
		window->Lock();
		window->OpenFolder(NULL, NULL, NULL);
		window->Unlock();
		state.PauseTiming();
		RunEventsUntil([](BViewerWin* w) { return !w->WorkerRunning(); }, window, 600000000);
		state.ResumeTiming();
	}
	state.counters["images"] = window->ImageCount();
	state.counters["entries"] = window->EntryCount();
	state.counters["entries/s"] = benchmark::Counter(window->EntryCount(),
		benchmark::Counter::kIsIterationInvariantRate);
	CloseWindow(window);
}
BENCHMARK(BM_ReadFolder)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace
