// Drag and drop: a drag started by a view, dropped on another view of the
// program, answered with a reply that reaches the drag's source; the
// toolkit's drag events on a view's widget; and files to and from other
// programs as text/uri-list, with names that are not UTF-8.
#include <QDragEnterEvent>
#include <QMimeData>

#include <Messenger.h>

#include "DragPrivate.h"
#include "InterfacePrivate.h"
#include "InterfaceTestSupport.h"
#include "TestSupport.h"
#include "WindowPrivate.h"

using glim_test::RefPaths;

namespace {

const uint32 kMove = 'DDMV';
const uint32 kTrash = 'DDRM';


typedef glim_test::Counted<BBitmap> CountedBitmap;


// A view of the program that drags and takes drops: as a target it answers
// a negotiated drop with its first action, as the folder tree does; as a
// source, as the thumbnail grid is, it records the replies it gets.
class DragView : public BView {
public:
	using BView::BView;

	void MessageReceived(BMessage* message) override
	{
		if (message->WasDropped()) {
			drops.push_back(*message);
			replyStatus = message->SendReply((uint32)message->GetInt32("be:actions", kMove));
		} else if (message->what == kMove || message->what == kTrash)
			replies.push_back(*message);
		else
			BView::MessageReceived(message);
	}

	void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override
	{
		if (dragMessage != NULL) {
			// Every drag in these tests is a B_SIMPLE_DATA message.
			EXPECT_EQ(dragMessage->what, (uint32)B_SIMPLE_DATA);
			wheres.push_back(where);
			transits.push_back(transit);
		}
	}

	std::vector<BMessage> drops;
	std::vector<BPoint> wheres;
	std::vector<uint32> transits;
	status_t replyStatus = B_NO_INIT;
	std::vector<BMessage> replies;
};


// A negotiated drag of a file, as the thumbnail grid offers it.
BMessage
DragOffer()
{
	BMessage message(B_SIMPLE_DATA);
	message.AddString("be:types", "application/octet-stream");
	message.AddString("be:filetypes", "image/jpeg");
	message.AddInt32("be:actions", kMove);
	message.AddInt32("be:actions", kTrash);
	message.AddString("be:clip_name", "photo.jpg");
	return message;
}


class DragDropTest : public testing::Test {
protected:
	void SetUp() override
	{
		fWindow = new BWindow(BRect(100, 100, 499, 399), "drag", B_TITLED_WINDOW, 0);
		fSource = new DragView(BRect(10, 10, 109, 109), "source", B_FOLLOW_NONE, B_WILL_DRAW);
		fTarget = new DragView(BRect(150, 50, 349, 249), "drop", B_FOLLOW_NONE, B_WILL_DRAW);
		glim_test::ShowWith(fWindow, {fSource, fTarget});
		fWindow->Lock();
	}

	void TearDown() override
	{
		BPrivate::set_drag_interceptor(BPrivate::DragInterceptor());
		fWindow->Quit();
	}

	// The widget that shows the view under where (window coordinates).
	QWidget* WidgetAt(BPoint where)
	{
		QWidget* top = BPrivate::WindowAccess::Widget(fWindow);
		return top != NULL ? top->childAt(QPoint((int)where.x, (int)where.y)) : NULL;
	}

	BWindow* fWindow = NULL;
	DragView* fSource = NULL;
	DragView* fTarget = NULL;
};


QMimeData*
UriList(const std::string& uris)
{
	QMimeData* data = new QMimeData;
	data->setData("text/uri-list", QByteArray::fromStdString(uris));
	return data;
}


// Sends a drag entering widget at local, moving, and dropped there;
// returns whether the widget took the drag.
bool
DragOnto(QWidget* widget, QPoint local, const QMimeData* data)
{
	Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
	QDragEnterEvent enter(local, actions, data, Qt::LeftButton, Qt::NoModifier);
	QApplication::sendEvent(widget, &enter);
	if (!enter.isAccepted())
		return false;
	QDragMoveEvent move(local + QPoint(1, 1), actions, data, Qt::LeftButton, Qt::NoModifier);
	QApplication::sendEvent(widget, &move);
	QDropEvent drop(QPointF(local + QPoint(2, 2)), actions, data, Qt::LeftButton,
		Qt::NoModifier);
	QApplication::sendEvent(widget, &drop);
	return drop.isAccepted();
}

} // namespace


TEST_F(DragDropTest, ToolkitDragEndsWithTheButtonsUpAndAnInterceptorTakesItOver)
{
	// The offscreen platform ends every drag at once; the image is still
	// the view's to delete, and the pointer no longer counts as held.
	std::atomic<int32> deleted{0};
	BMessage offer = DragOffer();
	BPrivate::push_pointer_state(BPoint(20, 20), B_PRIMARY_MOUSE_BUTTON);
	BPoint location;
	uint32 buttons;
	fSource->GetMouse(&location, &buttons);
	fSource->DragMessage(&offer, new CountedBitmap(&deleted, BRect(0, 0, 9, 9), B_RGB32),
		B_OP_BLEND, BPoint(5, 5));
	EXPECT_EQ(deleted, 1);
	fSource->GetMouse(&location, &buttons);
	EXPECT_EQ(buttons, 0u);

	// An interceptor is handed the drag instead, and the image is deleted
	// after it.
	struct Drag {
		BMessage message;
		BRect image;
		BPoint offset;
		BHandler* source;
	};
	std::vector<Drag> drags;
	BPrivate::set_drag_interceptor([&](const BMessage& message, const BBitmap* image,
									   BPoint offset, BHandler* source) {
		drags.push_back({message, image != NULL ? image->Bounds() : BRect(), offset, source});
	});
	fSource->DragMessage(&offer, new CountedBitmap(&deleted, BRect(0, 0, 95, 71), B_RGB32),
		B_OP_BLEND, BPoint(48, 36));
	ASSERT_EQ(drags.size(), 1u);
	EXPECT_EQ(deleted, 2);
	EXPECT_STREQ(drags[0].message.GetString("be:clip_name"), "photo.jpg");
	EXPECT_EQ(drags[0].image, BRect(0, 0, 95, 71));
	EXPECT_EQ(drags[0].offset, BPoint(48, 36));
	EXPECT_EQ(drags[0].source, fSource);

	BHandler handler;
	fWindow->AddHandler(&handler);
	fSource->DragMessage(&offer, new CountedBitmap(&deleted, BRect(0, 0, 9, 9), B_RGB32),
		BPoint(1, 2), &handler);
	ASSERT_EQ(drags.size(), 2u);
	EXPECT_EQ(drags[1].source, &handler);
	EXPECT_EQ(deleted, 3);
	fWindow->RemoveHandler(&handler);
}


TEST_F(DragDropTest, ToolkitDragEventsReachTheView)
{
	QWidget* widget = WidgetAt(BPoint(160, 60));
	ASSERT_NE(widget, nullptr);
	std::unique_ptr<QMimeData> data(
		BPrivate::make_drag_data(DragOffer(), BPoint(24, 18), BMessenger(fSource)));
	// Passing over the view, then coming back to drop on it.
	QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, data.get(), Qt::LeftButton,
		Qt::NoModifier);
	QApplication::sendEvent(widget, &enter);
	QDragLeaveEvent leave;
	QApplication::sendEvent(widget, &leave);
	ASSERT_TRUE(DragOnto(widget, QPoint(10, 10), data.get()));
	glim_test::SettleUnlocked(fWindow, [&]() { return !fSource->replies.empty(); });

	ASSERT_EQ(fTarget->transits,
		(std::vector<uint32>{B_ENTERED_VIEW, B_EXITED_VIEW, B_ENTERED_VIEW, B_INSIDE_VIEW}));
	EXPECT_EQ(fTarget->wheres[2], BPoint(10, 10));
	EXPECT_EQ(fTarget->wheres[3], BPoint(11, 11));
	ASSERT_EQ(fTarget->drops.size(), 1u);
	BPoint offset;
	EXPECT_EQ(fTarget->ConvertFromScreen(fTarget->drops[0].DropPoint(&offset)), BPoint(12, 12));
	EXPECT_EQ(offset, BPoint(24, 18));
	ASSERT_EQ(fSource->replies.size(), 1u);
	EXPECT_EQ(fSource->replies[0].what, kMove);
}


TEST_F(DragDropTest, FilesFromOtherProgramsArriveAsRefs)
{
	glim_test::TempDir folder("drop");
	std::string odd = folder / "caf\xe9 #1.jpg";
	std::string plain = folder / "plain.txt";
	glim_test::WriteFile(odd, "x");
	glim_test::WriteFile(plain, "y");
	std::string encoded =
		QByteArray::fromStdString(folder.Path()).toPercentEncoding("/").toStdString();
	std::unique_ptr<QMimeData> data(UriList("# dropped\r\nfile://" + encoded
		+ "/caf%E9%20%231.jpg\r\nfile:///no/such/file\r\nhttp://example.com/picture.jpg\r\n"
		+ "file://localhost" + encoded + "/plain.txt\r\n"));
	QWidget* widget = WidgetAt(BPoint(200, 100));
	ASSERT_NE(widget, nullptr);
	ASSERT_TRUE(DragOnto(widget, QPoint(5, 5), data.get()));
	glim_test::SettleUnlocked(fWindow, [&]() { return !fTarget->drops.empty(); });

	ASSERT_EQ(fTarget->drops.size(), 1u);
	const BMessage& dropped = fTarget->drops[0];
	EXPECT_EQ(dropped.what, (uint32)B_SIMPLE_DATA);
	EXPECT_TRUE(dropped.WasDropped());
	EXPECT_EQ(RefPaths(dropped), (std::vector<std::string>{odd, plain}));
	// Nobody in this program dragged it, so there is no one to answer.
	EXPECT_EQ(fTarget->replyStatus, B_BAD_REPLY);
	EXPECT_FALSE(fTarget->transits.empty());

	// A drag that names no file that exists here is refused.
	std::unique_ptr<QMimeData> missing(UriList("file:///no/such/file\r\n"));
	EXPECT_FALSE(DragOnto(widget, QPoint(5, 5), missing.get()));
	QMimeData text;
	text.setText("just text");
	EXPECT_FALSE(DragOnto(widget, QPoint(5, 5), &text));
}


TEST(DragDataTest, NamedFilesAreOfferedByteForByte)
{
	glim_test::TempDir folder("offer");
	std::string odd = folder / "\xff\xfe name%.png";
	glim_test::WriteFile(odd, "x");
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(odd.c_str(), &ref), B_OK);
	std::string expected = "file://"
		+ QByteArray::fromStdString(folder.Path()).toPercentEncoding("/").toStdString()
		+ "/%FF%FE%20name%25.png\r\n";

	BMessage refs(B_SIMPLE_DATA);
	refs.AddRef("refs", &ref);
	BMessage negotiated = DragOffer();
	negotiated.AddString("glim:path", odd.c_str());
	for (const BMessage* message : {&refs, &negotiated}) {
		std::unique_ptr<QMimeData> data(
			BPrivate::make_drag_data(*message, BPoint(0, 0), BMessenger()));
		ASSERT_TRUE(data->hasFormat("text/uri-list"));
		EXPECT_EQ(data->data("text/uri-list").toStdString(), expected);

		// Read back as another program's drop, the path is the same bytes.
		std::unique_ptr<QMimeData> foreign(UriList(expected));
		BMessage dropped;
		BPoint offset;
		BMessenger source;
		ASSERT_TRUE(BPrivate::drop_message(foreign.get(), &dropped, &offset, &source));
		EXPECT_EQ(RefPaths(dropped), std::vector<std::string>{odd});
	}

	// A message that names no file offers none.
	std::unique_ptr<QMimeData> none(
		BPrivate::make_drag_data(DragOffer(), BPoint(0, 0), BMessenger()));
	EXPECT_FALSE(none->hasFormat("text/uri-list"));
}
