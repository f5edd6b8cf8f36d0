// BPicture, and the recording and playing of pictures on views.
#include "Picture.h"

#include <QPainter>
#include <QPicture>

#include "PicturePrivate.h"

namespace {

// The toolkit scales a picture by the resolution of the device it is played
// on; pictures here are in pixels, whatever the device.
void
play(QPainter* painter, const QPicture& data, BPoint where)
{
	QPaintDevice* device = painter->device();
	painter->save();
	painter->setOpacity(1.0);
	painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
	painter->translate(where.x, where.y);
	painter->scale((qreal)data.logicalDpiX() / device->logicalDpiX(),
		(qreal)data.logicalDpiY() / device->logicalDpiY());
	painter->drawPicture(QPointF(0, 0), data);
	painter->restore();
}

} // namespace


BPicture::BPicture() :
	fData(std::make_unique<QPicture>())
{
}


BPicture::BPicture(const BPicture& other) :
	fData(std::make_unique<QPicture>(*other.fData))
{
}


BPicture::~BPicture()
{
}


BPicture&
BPicture::operator=(const BPicture& other)
{
	if (this != &other)
		*fData = *other.fData;
	return *this;
}


void
BPicture::_SetData(const QPicture& data)
{
	*fData = data;
}


// #pragma mark - recording


namespace BPrivate {

PictureRecording::PictureRecording(BPicture* picture, PictureRecordingPtr outer) :
	fPicture(picture),
	fOuter(std::move(outer))
{
	fPainter.begin(&fData);
}


BPicture*
PictureRecording::Finish()
{
	fPainter.end();
	fPicture->_SetData(fData);
	return fPicture;
}


void
PictureRecordingDeleter::operator()(PictureRecording* recording) const
{
	delete recording;
}

} // namespace BPrivate


void
BView::BeginPicture(BPicture* picture)
{
	if (picture == NULL)
		return;
	fRecording.reset(new BPrivate::PictureRecording(picture, std::move(fRecording)));
}


BPicture*
BView::EndPicture()
{
	if (!fRecording)
		return NULL;
	BPrivate::PictureRecordingPtr finished = std::move(fRecording);
	fRecording = finished->TakeOuter();
	BPicture* picture = finished->Finish();
	if (fRecording)
		play(fRecording->Painter(), picture->_Data(), BPoint(0, 0));
	return picture;
}


void
BView::DrawPicture(const BPicture* picture)
{
	DrawPicture(picture, fPenLocation);
}


void
BView::DrawPicture(const BPicture* picture, BPoint where)
{
	if (picture == NULL)
		return;
	QPainter* painter = _Painter();
	if (painter == NULL)
		return;
	play(painter, picture->_Data(), where);
}
