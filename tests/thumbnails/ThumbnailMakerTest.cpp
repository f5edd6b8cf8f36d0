// The thumbnail maker's helpers: results handed over strictly in list
// order however the helpers finish, never claiming far ahead of the taker,
// and stopping when asked.
#include "thumbnails/ThumbnailMaker.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include <gtest/gtest.h>

using namespace glim;

namespace {

struct Counting {
	std::atomic<int32> highest{-1};
	std::atomic<int32> made{0};
};

BThumbnailMaker*
new_maker(Counting& counting, int32 count, const std::atomic<bool>& stop, int32 helpers)
{
	return new BThumbnailMaker(
		[&counting, count](int32 index, std::string* path) {
			int32 seen = counting.highest;
			while (index > seen && !counting.highest.compare_exchange_weak(seen, index)) {
			}
			if (index >= count)
				return false;
			*path = "image" + std::to_string(index);
			return true;
		},
		[&counting](MadeThumbnail* made) {
			// Helpers finish out of order.
			thread_local std::mt19937 random(
				std::hash<std::thread::id>()(std::this_thread::get_id()));
			std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
			made->needed = made->made = true;
			made->jpeg.assign(made->path.begin(), made->path.end());
			counting.made++;
		},
		stop, helpers);
}

} // namespace

TEST(ThumbnailMakerTest, ResultsComeInListOrderWithAnyNumberOfHelpers)
{
	for (int32 helpers : {1, 2, 4}) {
		SCOPED_TRACE(helpers);
		Counting counting;
		std::atomic<bool> stop(false);
		std::unique_ptr<BThumbnailMaker> maker(new_maker(counting, 40, stop, helpers));
		MadeThumbnail made;
		int32 index = 0;
		for (; maker->Take(index, &made); index++) {
			std::string expected = "image" + std::to_string(index);
			ASSERT_EQ(made.path, expected);
			EXPECT_TRUE(made.made);
			EXPECT_EQ(std::string(made.jpeg.begin(), made.jpeg.end()), expected);
			// Helpers never run further ahead than twice their number.
			EXPECT_LE(counting.highest.load(), index + 2 * helpers);
		}
		EXPECT_EQ(index, 40);
		EXPECT_EQ(counting.made.load(), 40);
	}
}

TEST(ThumbnailMakerTest, AStopEndsTakingAndTheHelpers)
{
	Counting counting;
	std::atomic<bool> stop(false);
	std::unique_ptr<BThumbnailMaker> maker(new_maker(counting, 100000, stop, 2));
	MadeThumbnail made;
	ASSERT_TRUE(maker->Take(0, &made));
	ASSERT_TRUE(maker->Take(1, &made));
	stop = true;
	EXPECT_FALSE(maker->Take(2, &made));
	auto start = std::chrono::steady_clock::now();
	maker.reset();
	EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
	EXPECT_LE(counting.made.load(), 2 + 4 + 1);
}
