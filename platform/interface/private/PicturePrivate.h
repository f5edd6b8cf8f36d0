#ifndef _PICTURE_PRIVATE_H
#define _PICTURE_PRIVATE_H

#include <memory>

#include <QPainter>
#include <QPicture>

#include <View.h>

class BPicture;

namespace BPrivate {

typedef std::unique_ptr<PictureRecording, PictureRecordingDeleter> PictureRecordingPtr;

// A picture being recorded on a view: the painter that the view's drawing
// calls use meanwhile, and the recording it interrupted, if any.
class PictureRecording {
public:
	PictureRecording(BPicture* picture, PictureRecordingPtr outer);

	QPainter* Painter() { return &fPainter; }
	PictureRecordingPtr TakeOuter() { return std::move(fOuter); }
	// Ends the recording and hands its drawing to the picture.
	BPicture* Finish();

private:
	BPicture* fPicture;
	QPicture fData;
	QPainter fPainter;
	PictureRecordingPtr fOuter;
};

} // namespace BPrivate

#endif
