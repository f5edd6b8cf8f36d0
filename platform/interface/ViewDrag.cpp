// Drag and drop: BView::DragMessage starts a toolkit drag that carries a
// BMessage, and the view widgets turn drags over them into mouse-moved
// messages and drops into dropped messages for their views.
//
// The toolkit's drag runs a nested event loop on the GUI thread while the
// dragging view's window is locked (it is started from that window's
// input), so a drop on a view of the same window waits in the window's
// queue until the dispatch that started the drag returns; other windows
// take theirs at once. Files travel as text/uri-list with their paths
// percent-encoded byte for byte, so names that are not UTF-8 survive.
#include <View.h>

#include <cmath>
#include <mutex>
#include <string>
#include <vector>

#include <QDrag>
#include <QDragEnterEvent>
#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QUrl>

#include <Bitmap.h>
#include <Entry.h>
#include <Message.h>
#include <Messenger.h>
#include <Path.h>
#include <Window.h>

#include "AppPrivate.h"
#include "BitmapPrivate.h"
#include "DragPrivate.h"
#include "InterfacePrivate.h"
#include "MessagePrivate.h"
#include "TestHooks.h"
#include "ViewWidget.h"

namespace BPrivate {

namespace {

const char* kUriListType = "text/uri-list";
// The largest outline a rectangle drag shows, per side.
const int kMaxOutline = 4096;

std::mutex sInterceptorLock;
DragInterceptor sInterceptor;

// The message of the drag over one of our views, which the mouse-moved
// messages carry: a copy of a message dragged here, or the message that a
// drop of another program's data would bring. Made when the drag comes in;
// GUI thread only.
BMessage sDragOver;


DragInterceptor
drag_interceptor()
{
	std::lock_guard<std::mutex> guard(sInterceptorLock);
	return sInterceptor;
}


// The toolkit data of a drag started by a view of this program.
class DragData : public QMimeData {
public:
	DragData(const BMessage& message, BPoint offset, const BMessenger& source) :
		fMessage(message),
		fOffset(offset),
		fSource(source)
	{
	}

	const BMessage& Message() const { return fMessage; }
	BPoint Offset() const { return fOffset; }
	const BMessenger& Source() const { return fSource; }

private:
	BMessage fMessage;
	BPoint fOffset;
	BMessenger fSource;
};


// The absolute paths of the files message names.
std::vector<std::string>
dragged_paths(const BMessage& message)
{
	std::vector<std::string> paths;
	entry_ref ref;
	for (int32 i = 0; message.what == B_SIMPLE_DATA && message.FindRef("refs", i, &ref) == B_OK;
		 i++) {
		BPath path(&ref);
		if (path.InitCheck() == B_OK)
			paths.push_back(path.Path());
	}
	const char* path;
	for (int32 i = 0; message.FindString("glim:path", i, &path) == B_OK; i++)
		paths.push_back(path);
	return paths;
}


QByteArray
uri_list(const std::vector<std::string>& paths)
{
	QByteArray list;
	for (const std::string& path : paths) {
		if (path.empty() || path[0] != '/')
			continue;
		list += "file://";
		list += QByteArray::fromStdString(path).toPercentEncoding("/");
		list += "\r\n";
	}
	return list;
}


// The path of a file: URI as bytes, or "" for other URIs and other hosts.
std::string
path_from_uri(QByteArray uri)
{
	if (!uri.startsWith("file:"))
		return std::string();
	uri = uri.mid(5);
	if (uri.startsWith("//")) {
		int slash = uri.indexOf('/', 2);
		QByteArray host = uri.mid(2, slash < 0 ? -1 : slash - 2);
		if (slash < 0 || !(host.isEmpty() || host == "localhost"))
			return std::string();
		uri = uri.mid(slash);
	}
	QByteArray path = QByteArray::fromPercentEncoding(uri);
	if (!path.startsWith('/') || path.contains('\0'))
		return std::string();
	return path.toStdString();
}


std::vector<std::string>
dropped_paths(const QMimeData* data)
{
	std::vector<std::string> paths;
	if (data->hasFormat(kUriListType)) {
		for (const QByteArray& line : data->data(kUriListType).split('\n')) {
			QByteArray uri = line.trimmed();
			if (uri.isEmpty() || uri.startsWith('#'))
				continue;
			std::string path = path_from_uri(uri);
			if (!path.empty())
				paths.push_back(path);
		}
		return paths;
	}
	for (const QUrl& url : data->urls()) {
		if (url.isLocalFile())
			paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
	}
	return paths;
}


bool
accepts(const QMimeData* data)
{
	return data != NULL
		&& (dynamic_cast<const DragData*>(data) != NULL || data->hasFormat(kUriListType)
			|| data->hasUrls());
}


// The image a drag shows: the bitmap's pixels, at half strength for
// B_OP_BLEND; its alpha counts only in the modes that use it.
QImage
drag_image(const BBitmap* bitmap, drawing_mode mode)
{
	if (bitmap == NULL || bitmap->InitCheck() != B_OK)
		return QImage();
	QImage pixels = bitmap_image(bitmap);
	if (mode != B_OP_ALPHA && mode != B_OP_OVER && pixels.format() == QImage::Format_ARGB32) {
		pixels = QImage(pixels.constBits(), pixels.width(), pixels.height(),
			pixels.bytesPerLine(), QImage::Format_RGB32);
	}
	QImage result(pixels.size(), QImage::Format_ARGB32_Premultiplied);
	if (result.isNull())
		return result;
	result.fill(Qt::transparent);
	QPainter painter(&result);
	painter.setOpacity(mode == B_OP_BLEND ? 0.5 : 1.0);
	painter.drawImage(0, 0, pixels);
	return result;
}


QImage
outline_image(BRect rect)
{
	if (!rect.IsValid())
		return QImage();
	int width = std::min((int)std::lround(rect.Width()) + 1, kMaxOutline);
	int height = std::min((int)std::lround(rect.Height()) + 1, kMaxOutline);
	QImage result(width, height, QImage::Format_ARGB32_Premultiplied);
	result.fill(Qt::transparent);
	QPainter painter(&result);
	painter.setPen(QColor(0, 0, 0, 160));
	painter.drawRect(0, 0, width - 1, height - 1);
	return result;
}


// Runs the toolkit's drag from widget; returns when it ends.
void
run_drag(QWidget* widget, const BMessage& message, const BMessenger& source, QImage image,
	BPoint offset)
{
	QDrag* drag = new QDrag(widget);
	drag->setMimeData(make_drag_data(message, offset, source));
	if (!image.isNull()) {
		drag->setPixmap(QPixmap::fromImage(image));
		drag->setHotSpot(QPoint((int)std::lround(offset.x), (int)std::lround(offset.y)));
	}
	// The toolkit deletes the drag itself. The release that ended it went
	// to the drag, not to the view: the buttons are up now.
	drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
	record_pointer(current_pointer().where, 0);
}


void
post_drag_moved(int32 windowToken, int32 viewToken, BPoint screenWhere, uint32 buttons,
	uint32 transit, const BMessage& dragMessage)
{
	record_pointer(screenWhere, buttons);
	BMessage message(B_MOUSE_MOVED);
	message.AddInt64("when", system_time());
	message.AddPoint("screen_where", screenWhere);
	message.AddInt32("buttons", (int32)buttons);
	message.AddInt32("modifiers", (int32)modifiers());
	message.AddInt32("be:transit", (int32)transit);
	message.AddMessage("be:drag_message", &dragMessage);
	BMessenger messenger;
	messenger._SetTo(windowToken, viewToken);
	messenger.SendMessage(&message);
}


BPoint
screen_point(QWidget* widget, QPointF position)
{
	QPointF global = widget->mapToGlobal(position);
	return BPoint(global.x(), global.y());
}


// Drags of this program may move or copy; files from elsewhere are always
// copied, so the program they come from never deletes them.
void
accept_drag(QDropEvent* event)
{
	if (dynamic_cast<const DragData*>(event->mimeData()) != NULL)
		event->acceptProposedAction();
	else {
		event->setDropAction(Qt::CopyAction);
		event->accept();
	}
}

} // namespace


void
set_drag_interceptor(DragInterceptor interceptor)
{
	std::lock_guard<std::mutex> guard(sInterceptorLock);
	sInterceptor = std::move(interceptor);
}


QMimeData*
make_drag_data(const BMessage& message, BPoint offset, const BMessenger& source)
{
	DragData* data = new DragData(message, offset, source);
	QByteArray uris = uri_list(dragged_paths(message));
	if (!uris.isEmpty())
		data->setData(kUriListType, uris);
	return data;
}


bool
drop_message(const QMimeData* data, BMessage* _message, BPoint* _offset, BMessenger* _source)
{
	if (data == NULL)
		return false;
	if (const DragData* ours = dynamic_cast<const DragData*>(data)) {
		*_message = ours->Message();
		*_offset = ours->Offset();
		*_source = ours->Source();
		return true;
	}
	BMessage message(B_SIMPLE_DATA);
	for (const std::string& path : dropped_paths(data)) {
		entry_ref ref;
		if (get_ref_for_path(path.c_str(), &ref) == B_OK)
			message.AddRef("refs", &ref);
	}
	if (!message.HasRef("refs"))
		return false;
	*_message = message;
	*_offset = BPoint(0, 0);
	*_source = BMessenger();
	return true;
}


void
deliver_drop(int32 windowToken, int32 viewToken, const BMessage& message, BPoint screenWhere,
	BPoint offset, const BMessenger& source)
{
	BMessage dropped(message);
	MessagePrivate(&dropped).SetWasDropped(true, screenWhere, offset);
	BMessenger target;
	target._SetTo(windowToken, viewToken);
	target.SendMessage(&dropped, source);
}


// #pragma mark - ViewWidget's drag events


void
ViewWidget::dragEnterEvent(QDragEnterEvent* event)
{
	const QMimeData* data = event->mimeData();
	BPoint offset;
	BMessenger source;
	if (!accepts(data) || !drop_message(data, &sDragOver, &offset, &source)) {
		event->ignore();
		return;
	}
	accept_drag(event);
	post_drag_moved(fWindowToken, fViewToken, screen_point(this, event->position()),
		buttons_from_qt(event->buttons()), B_ENTERED_VIEW, sDragOver);
}


void
ViewWidget::dragMoveEvent(QDragMoveEvent* event)
{
	if (!accepts(event->mimeData())) {
		event->ignore();
		return;
	}
	accept_drag(event);
	post_drag_moved(fWindowToken, fViewToken, screen_point(this, event->position()),
		buttons_from_qt(event->buttons()), B_INSIDE_VIEW, sDragOver);
}


void
ViewWidget::dragLeaveEvent(QDragLeaveEvent*)
{
	PointerState pointer = current_pointer();
	post_drag_moved(fWindowToken, fViewToken, pointer.where, pointer.buttons, B_EXITED_VIEW,
		sDragOver);
}


void
ViewWidget::dropEvent(QDropEvent* event)
{
	BMessage message;
	BPoint offset;
	BMessenger source;
	if (!drop_message(event->mimeData(), &message, &offset, &source)) {
		event->ignore();
		return;
	}
	accept_drag(event);
	BPoint where = screen_point(this, event->position());
	record_pointer(where, 0);
	deliver_drop(fWindowToken, fViewToken, message, where, offset, source);
}

} // namespace BPrivate


// #pragma mark - BView


void
BView::DragMessage(BMessage* message, BBitmap* image, BPoint offset, BHandler* replyTo)
{
	DragMessage(message, image, B_OP_COPY, offset, replyTo);
}


void
BView::DragMessage(BMessage* message, BBitmap* image, drawing_mode dragMode, BPoint offset,
	BHandler* replyTo)
{
	std::unique_ptr<BBitmap> owned(image);
	if (message == NULL)
		return;
	BHandler* source = replyTo != NULL ? replyTo : this;
	if (BPrivate::DragInterceptor intercept = BPrivate::drag_interceptor()) {
		intercept(*message, owned.get(), offset, source);
		return;
	}
	_StartDrag(*message, BPrivate::drag_image(owned.get(), dragMode), offset, source);
}


void
BView::DragMessage(BMessage* message, BRect dragRect, BHandler* replyTo)
{
	if (message == NULL)
		return;
	BPoint offset = ConvertFromScreen(BPrivate::current_pointer().where) - dragRect.LeftTop();
	BHandler* source = replyTo != NULL ? replyTo : this;
	if (BPrivate::DragInterceptor intercept = BPrivate::drag_interceptor()) {
		intercept(*message, NULL, offset, source);
		return;
	}
	_StartDrag(*message, BPrivate::outline_image(dragRect), offset, source);
}


// A drag starts from the view's widget on the GUI thread.
void
BView::_StartDrag(const BMessage& message, const QImage& image, BPoint offset, BHandler* source)
{
	auto start = [message, image, offset, replies = BMessenger(source)](BView* view) {
		if (view->fWidget != NULL)
			BPrivate::run_drag(view->fWidget, message, replies, image, offset);
	};
	if (BPrivate::is_gui_thread())
		start(this);
	else
		BPrivate::run_for_view(this, start);
}
