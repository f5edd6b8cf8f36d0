#ifndef GLIM_IMAGE_DIFFERENCE_H
#define GLIM_IMAGE_DIFFERENCE_H

#include <cstdlib>

#include <Bitmap.h>

namespace glim_test {

// Mean absolute difference per colour channel of two 32-bit bitmaps, or a
// large value for sizes that differ. Thumbnails are held to it against ones
// scaled from the whole decoded image, in the tests and the benchmarks.
inline double
mean_difference(const BBitmap* a, const BBitmap* b)
{
	if (a->Bounds() != b->Bounds())
		return 1e9;
	int width = a->Bounds().IntegerWidth() + 1;
	int height = (int)a->Bounds().Height() + 1;
	double sum = 0;
	for (int y = 0; y < height; y++) {
		const uint8* pa = (const uint8*)a->Bits() + y * a->BytesPerRow();
		const uint8* pb = (const uint8*)b->Bits() + y * b->BytesPerRow();
		for (int i = 0; i < width * 4; i++) {
			if (i % 4 != 3)
				sum += std::abs(pa[i] - pb[i]);
		}
	}
	return sum / (width * height * 3.0);
}

} // namespace glim_test

#endif // GLIM_IMAGE_DIFFERENCE_H
