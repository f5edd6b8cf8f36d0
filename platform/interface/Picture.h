#ifndef _PICTURE_H
#define _PICTURE_H

#include <memory>

#include <SupportDefs.h>

class QPicture;

// A recording of drawing calls, made on a view between BeginPicture() and
// EndPicture() and played back with BView::DrawPicture(). A picture keeps
// copies of the bitmaps drawn into it, so they may be deleted once the
// recording ends. Copies are independent of each other.
class BPicture {
public:
	BPicture();
	BPicture(const BPicture& other);
	virtual ~BPicture();

	BPicture& operator=(const BPicture& other);

	// Private to the layer.
	const QPicture& _Data() const { return *fData; }
	void _SetData(const QPicture& data);

private:
	std::unique_ptr<QPicture> fData;
};

#endif
