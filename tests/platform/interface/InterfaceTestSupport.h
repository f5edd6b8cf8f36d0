#ifndef GLIM_INTERFACE_TEST_SUPPORT_H
#define GLIM_INTERFACE_TEST_SUPPORT_H

#include <atomic>
#include <mutex>
#include <vector>

#include <Bitmap.h>
#include <GraphicsDefs.h>
#include <Message.h>
#include <Window.h>

namespace glim_test {

// A window that keeps a copy of every message it is sent. The copies are
// taken on the GUI thread; At and Whats read them from any thread.
class Receiver : public BWindow {
public:
	explicit Receiver(const char* title = "receiver", BRect frame = BRect(100, 100, 399, 299)) :
		BWindow(frame, title, B_TITLED_WINDOW, 0)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		std::lock_guard<std::mutex> guard(lock);
		received.push_back(*message);
		count++;
	}

	std::vector<uint32> Whats()
	{
		std::lock_guard<std::mutex> guard(lock);
		std::vector<uint32> whats;
		for (const BMessage& message : received)
			whats.push_back(message.what);
		return whats;
	}

	BMessage At(size_t index)
	{
		std::lock_guard<std::mutex> guard(lock);
		return received.at(index);
	}

	BMessage Last() { return At(count - 1); }

	std::mutex lock;
	std::vector<BMessage> received;
	std::atomic<int32> count{0};
};

// Quits a window the test created and showed.
inline void
CloseWindow(BWindow* window)
{
	if (window->Lock())
		window->Quit();
}

// The colour of one pixel of a 32-bit bitmap, alpha left opaque.
inline rgb_color
PixelAt(const BBitmap& bitmap, int x, int y)
{
	const uint8* pixel = (const uint8*)bitmap.Bits() + y * bitmap.BytesPerRow() + x * 4;
	return make_color(pixel[2], pixel[1], pixel[0]);
}

} // namespace glim_test

#endif
