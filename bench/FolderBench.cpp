// Reading and identifying folders of 10,000, 30,000 and 100,000 entries (a
// fifth of them small images, the rest other small files) as a main window
// does when a folder opens or changes on disk. The time is the "OF:Read"
// stopwatch's own report, timed side by side with the floor: a C loop that
// does readdir, open, read 64 bytes and fstat per entry.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include <benchmark/benchmark.h>

#include <OS.h>
#include <StatusBar.h>
#include <Window.h>

#include "BenchSupport.h"
#include "mainwindow/ViewerWin.h"
#include "thumbnails/ThumbnailContainerView.h"
#include "widgets/GlimStatusView.h"

extern "C" long folder_floor_read(const char* folder);

using namespace glim_bench;

namespace {

// Kept as it was first made: the same data serves every run and the peers'
// script, which times the floor on folder-10000 itself.
std::string
make_folder(int entries)
{
	std::string folder = DataFolder("folder-" + std::to_string(entries));
	char last[64];
	snprintf(last, sizeof(last), "/entry%05d.txt", entries - 1);
	if (Exists(folder + last))
		return folder;
	WriteFlatImage(folder + "/entry00000.png", 64, 48, 'PNG ');
	for (int i = 1; i < entries; i++) {
		char name[64];
		bool isImage = i % 5 == 0;
		snprintf(name, sizeof(name), "/entry%05d.%s", i, isImage ? "png" : "txt");
		if (isImage)
			WriteFlatImage(folder + name, 64, 48, i % 10 == 0 ? 'PNG ' : 'JPEG');
		else {
			FILE* file = fopen((folder + name).c_str(), "w");
			fprintf(file, "not an image, entry %d\n", i);
			fclose(file);
		}
	}
	return folder;
}

// Runs a re-read of the window's folder and gives what its "OF:Read"
// stopwatch printed, in microseconds; -1 when it printed nothing.
bigtime_t
read_as_reported(BViewerWin* window)
{
	FILE* capture = tmpfile();
	if (capture == NULL)
		return -1;
	fflush(stdout);
	int saved = dup(STDOUT_FILENO);
	dup2(fileno(capture), STDOUT_FILENO);
	window->Lock();
	window->OpenFolder(NULL, NULL, NULL);
	window->Unlock();
	fflush(stdout);
	dup2(saved, STDOUT_FILENO);
	close(saved);

	bigtime_t reported = -1;
	char line[256];
	rewind(capture);
	while (fgets(line, sizeof(line), capture) != NULL) {
		long long usecs;
		if (sscanf(line, "StopWatch \"OF:Read\": %lld usecs.", &usecs) == 1)
			reported = usecs;
	}
	fclose(capture);
	return reported;
}

bool
worker_done(BViewerWin* window)
{
	return !window->WorkerRunning();
}

// Each iteration times the floor and the program on the same folder, so
// both meet the same machine load; the counters give the best of each and
// the median ratio of the pairs. The thumbnails are made once, on the first
// open, and the worker's later runs (which only find them current) are
// left out.
void
BM_ReadFolder(benchmark::State& state)
{
	int entries = (int)state.range(0);
	std::string folder = make_folder(entries);
	BViewerWin* window = OpenWindow(folder, 800, 600);
	RunEventsUntil(worker_done, window, 3600000000LL);

	double bestRead = 1e30, bestFloor = 1e30;
	std::vector<double> ratios;
	int iteration = 0;
	for (auto _ : state) {
		// Each goes first every other time: neither always meets the
		// caches as the other left them.
		bool programFirst = iteration++ % 2 == 1;
		bigtime_t read = 0;
		if (programFirst) {
			read = read_as_reported(window);
			RunEventsUntil(worker_done, window, 600000000);
		}
		bigtime_t start = system_time();
		long floorEntries = folder_floor_read(folder.c_str());
		double floor = (system_time() - start) / 1000.0;
		if (!programFirst)
			read = read_as_reported(window);
		if (floorEntries < 0 || read < 0) {
			state.SkipWithError("the folder could not be read");
			break;
		}
		state.SetIterationTime(read / 1e6);
		bestRead = std::min(bestRead, read / 1000.0);
		bestFloor = std::min(bestFloor, floor);
		ratios.push_back(read / 1000.0 / floor);
		RunEventsUntil(worker_done, window, 600000000);
	}
	state.counters["entries"] = window->EntryCount();
	state.counters["images"] = window->ImageCount();
	state.counters["read_ms"] = bestRead;
	state.counters["floor_ms"] = bestFloor;
	// The ratio of each pair timed together, the median of them: a quiet
	// moment that only one of the two met does not count.
	std::sort(ratios.begin(), ratios.end());
	state.counters["ratio"] = ratios.empty() ? 0 : ratios[ratios.size() / 2];
	state.counters["us/entry"] = bestRead * 1000.0 / std::max(window->EntryCount(), (int32)1);
	CloseWindow(window);
}
BENCHMARK(BM_ReadFolder)
	->Arg(10000)
	->Arg(30000)
	->Arg(100000)
	->Unit(benchmark::kMillisecond)
	->UseManualTime()
	->Iterations(10);

// The resident memory of the process, in megabytes.
double
resident_mb()
{
	FILE* file = fopen("/proc/self/statm", "r");
	long pages = 0, resident = 0;
	if (file != NULL) {
		if (fscanf(file, "%ld %ld", &pages, &resident) != 2)
			resident = 0;
		fclose(file);
	}
	return resident * (double)sysconf(_SC_PAGESIZE) / (1 << 20);
}

// Memory while the worker makes every thumbnail of the 100,000-entry folder
// again and the grid is scrolled through the folder as they come: the
// resident size once a tenth of them are made and at the end, and the
// growth per thousand thumbnails made in between, which should be about
// nothing. Long: run it on its own (--benchmark_filter=BM_ThumbnailMemory).
void
BM_ThumbnailMemory(benchmark::State& state)
{
	std::string folder = make_folder((int)state.range(0));
	BViewerWin* window = OpenWindow(folder, 800, 600);
	RunEventsUntil(worker_done, window, 3600000000LL);
	double earlyMB = 0, lateMB = 0, earlyMade = 0, lateMade = 0;
	for (auto _ : state) {
		window->Lock();
		window->RefreshThumbnails(true);
		window->Unlock();
		earlyMade = 0;
		while (window->WorkerRunning()) {
			RunEvents(250000);
			window->Lock();
			BStatusBar* progress = window->StatusView()->ProgressBar();
			float made = progress->CurrentValue();
			float total = std::max(progress->MaxValue(), 1.0f);
			BThumbnailContainerView* grid = window->ThumbnailView();
			int32 rows = window->CountImages() / std::max(grid->CountColumns(), (int32)1);
			grid->ScrollTo(BPoint(0, std::floor(rows * made / total) * grid->FrameHeight()));
			window->Unlock();
			double mb = resident_mb();
			if (earlyMade == 0 && made >= total / 10) {
				earlyMB = mb;
				earlyMade = made;
			}
			lateMB = mb;
			lateMade = made;
		}
	}
	state.counters["images"] = window->ImageCount();
	state.counters["rss_tenth_MB"] = earlyMB;
	state.counters["rss_end_MB"] = lateMB;
	state.counters["KB_per_1000"] = lateMade > earlyMade
		? (lateMB - earlyMB) * 1024 / ((lateMade - earlyMade) / 1000)
		: 0;
	CloseWindow(window);
}
BENCHMARK(BM_ThumbnailMemory)->Arg(100000)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
