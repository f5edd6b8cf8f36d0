#ifndef GLIM_PICTURES_H
#define GLIM_PICTURES_H

#include <vector>

#include <QImage>

#include <SupportDefs.h>

// A picture resource of type 'PICT', drawn by the build tool.
struct Picture {
	enum Format {
		kBmp,
		kJpeg
	};

	int32 id;
	const char* name;
	Format format;
	QImage image;
};

// The toolbar's pairs (normal and pressed, 40 x 40) and the about window's
// pictures, in id order.
std::vector<Picture> all_pictures();

// The application icon at size x size pixels, on a transparent background.
// It follows the drawing of resources/glim.svg.
QImage app_icon(int size);

#endif
