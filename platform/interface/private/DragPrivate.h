#ifndef _DRAG_PRIVATE_H
#define _DRAG_PRIVATE_H

#include <Point.h>
#include <SupportDefs.h>

class BMessage;
class BMessenger;
class QMimeData;

// Private to the layer: the data a drag carries through the toolkit and
// the delivery of drops.
namespace BPrivate {

// The toolkit data of a drag started here: the message itself (for drops on
// this program's views), the pointer's offset in the drag image, the
// messenger replies go to, and a text/uri-list of the files the message
// names, for other programs.
QMimeData* make_drag_data(const BMessage& message, BPoint offset, const BMessenger& source);

// What a drop of data brings: the message of a drag started in this
// process, or a B_SIMPLE_DATA message with "refs" for the local files of a
// text/uri-list (false when none of them exists).
bool drop_message(const QMimeData* data, BMessage* _message, BPoint* _offset,
	BMessenger* _source);

// Queues a copy of message to the view, marked as dropped at screenWhere
// with offset, with replies going to source.
void deliver_drop(int32 windowToken, int32 viewToken, const BMessage& message,
	BPoint screenWhere, BPoint offset, const BMessenger& source);

} // namespace BPrivate

#endif
