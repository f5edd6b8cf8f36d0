#ifndef GLIM_BENCH_SUPPORT_H
#define GLIM_BENCH_SUPPORT_H

#include <string>

class BViewerWin;

namespace glim_bench {

// A folder under the system's temporary folder, kept between runs so the
// data is made once; removed by RemoveData().
std::string DataFolder(const std::string& name);
bool Exists(const std::string& path);

// Writes a JPEG photograph-like image (smooth gradients with detail) of
// the given size.
bool WritePhoto(const std::string& path, int width, int height, unsigned seed);
bool WriteFlatImage(const std::string& path, int width, int height, unsigned format);

// A shown main window on folder, with its first read done.
BViewerWin* OpenWindow(const std::string& folder, float width, float height);
void CloseWindow(BViewerWin* window);
void RunEvents(long long microseconds);
bool RunEventsUntil(bool (*condition)(BViewerWin*), BViewerWin* window, long long timeout);

} // namespace glim_bench

#endif
