// File panels: a window of the application, completed through the test
// hook as a user would, with results arriving at a window.
#include <FilePanel.h>

#include <map>
#include <thread>

#include <QLineEdit>
#include <QMenuBar>
#include <QTreeWidget>

#include <Application.h>
#include <Button.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Messenger.h>

#include "AppTestHooks.h"
#include "InterfaceTestSupport.h"
#include "TestSupport.h"

using glim_test::RefPaths;
typedef std::vector<std::string> Paths;

namespace {

const uint32 kChooserMessage = 'Pfsl';

// The folder the panel shows.
std::string
shown_folder(BFilePanel& panel)
{
	entry_ref shown;
	panel.GetPanelDirectory(&shown);
	return BPath(&shown).Path();
}


// The toolkit widget's rectangle in its window, as a BRect.
BRect
widget_frame(QWidget* widget)
{
	QRect frame(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
	return BRect(frame.left(), frame.top(), frame.right(), frame.bottom());
}


// The name field lies in the bottom row, the folder field at the top.
QLineEdit*
name_field(QWidget* window)
{
	for (QLineEdit* field : window->findChildren<QLineEdit*>()) {
		if (widget_frame(field).top > window->height() / 2)
			return field;
	}
	return NULL;
}


// One application for the whole run, as the program has; the folder
// holds a.png, b.png, a name that is not UTF-8 and a subfolder.
class FilePanelTest : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		BPrivate::set_command_line({"FilePanelTest"});
		new BApplication("application/x-vnd.glim-file-panel-test");
	}

	static void TearDownTestSuite() { delete be_app; }

	void SetUp() override
	{
		glim_test::MakeDirs(fFolder / "sub");
		for (const char* name : {"a.png", "b.png", "caf\xe9.png", ".hidden"})
			glim_test::WriteFile(fFolder / name, "x");
		fInbox = new glim_test::Receiver("inbox");
		fInbox->Show();
		fTarget = BMessenger(fInbox);
		ASSERT_EQ(get_ref_for_path(fFolder.Path().c_str(), &fStart), B_OK);
	}

	void TearDown() override { glim_test::CloseWindow(fInbox); }

	glim_test::TempDir fFolder{"panel"};
	glim_test::Receiver* fInbox = NULL;
	BMessenger fTarget;
	entry_ref fStart;
};

} // namespace


TEST_F(FilePanelTest, PanelIsAWindowUntilDeleted)
{
	int32 before = be_app->CountWindows();
	BFilePanel* panel = new BFilePanel(B_OPEN_PANEL, NULL, NULL, B_FILE_NODE | B_DIRECTORY_NODE,
		true, NULL, NULL, false, true);
	ASSERT_EQ(be_app->CountWindows(), before + 1);
	EXPECT_EQ(be_app->WindowAt(before), panel->Window());
	EXPECT_FALSE(panel->IsShowing());
	EXPECT_EQ(panel->Messenger(), be_app_messenger);
	panel->Show();
	panel->Show();
	EXPECT_TRUE(panel->IsShowing());
	delete panel;
	EXPECT_EQ(be_app->CountWindows(), before);

	// Deleted on another thread, the window leaves the count at once too.
	panel = new BFilePanel(B_SAVE_PANEL);
	panel->Show();
	ASSERT_EQ(be_app->CountWindows(), before + 1);
	std::thread([panel]() { delete panel; }).join();
	EXPECT_EQ(be_app->CountWindows(), before);
	glim_test::Settle();
}


TEST_F(FilePanelTest, OpenPanelSendsTheChosenRefs)
{
	BFilePanel panel(B_OPEN_PANEL, &fTarget, &fStart, B_FILE_NODE | B_DIRECTORY_NODE, true);
	panel.Show();
	EXPECT_EQ(shown_folder(panel), fFolder.Path());

	Paths chosen = {fFolder / "caf\xe9.png", fFolder / "a.png", fFolder / "sub"};
	BPrivate::complete_file_panel(&panel, chosen);
	ASSERT_TRUE(fInbox->WaitFor(1));
	EXPECT_EQ(fInbox->At(0).what, (uint32)B_REFS_RECEIVED);
	EXPECT_EQ(RefPaths(fInbox->At(0)), chosen);
	EXPECT_FALSE(panel.IsShowing());

	// The selection stays readable.
	panel.Rewind();
	entry_ref ref;
	Paths selected;
	while (panel.GetNextSelectedRef(&ref) == B_OK)
		selected.push_back(BPath(&ref).Path());
	EXPECT_EQ(selected, chosen);
}


TEST_F(FilePanelTest, FileChooserEntersFoldersAndSkipsHiddenNames)
{
	BFilePanel panel(B_OPEN_PANEL, &fTarget, &fStart, 0, false);
	panel.SetHideWhenDone(false);
	panel.Show();

	// Choosing a folder where only files may be chosen enters it.
	BPrivate::complete_file_panel(&panel, {fFolder / "sub"});
	EXPECT_EQ(shown_folder(panel), fFolder / "sub");
	EXPECT_TRUE(panel.IsShowing());

	// One entry at most, and a hidden one cannot be chosen.
	BPrivate::complete_file_panel(&panel, {fFolder / ".hidden"});
	BPrivate::complete_file_panel(&panel, {fFolder / "b.png", fFolder / "a.png"});
	ASSERT_TRUE(fInbox->WaitFor(1));
	EXPECT_EQ(RefPaths(fInbox->At(0)), Paths{fFolder / "b.png"});
	EXPECT_TRUE(panel.IsShowing());
	EXPECT_EQ(fInbox->count, 1);
}


TEST_F(FilePanelTest, RefFilterDecidesWhatIsListed)
{
	// Refuses b.png, and records the types it was shown and which are
	// folders.
	class RecordingFilter : public BRefFilter {
	public:
		bool Filter(const entry_ref* ref, BNode* node, struct stat* info,
			const char* mimeType) override
		{
			EXPECT_NE(node, nullptr);
			types[ref->name] = std::string(mimeType)
				+ (S_ISDIR(info->st_mode) ? " folder" : "");
			return strcmp(ref->name, "b.png") != 0;
		}

		std::map<std::string, std::string> types;
	} filter;

	const char png[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR";
	glim_test::WriteFile(fFolder / "a.png", std::string(png, sizeof(png) - 1));
	BFilePanel panel(B_OPEN_PANEL, &fTarget, &fStart, B_FILE_NODE, true, NULL, &filter);
	panel.Show();
	EXPECT_EQ(filter.types["a.png"], "image/png");
	EXPECT_EQ(filter.types["sub"], "inode/directory folder");
	BPrivate::complete_file_panel(&panel, {fFolder / "a.png", fFolder / "b.png"});
	ASSERT_TRUE(fInbox->WaitFor(1));
	EXPECT_EQ(RefPaths(fInbox->At(0)), Paths{fFolder / "a.png"});
}


TEST_F(FilePanelTest, FolderChooserWithItsOwnMessage)
{
	int control = 0;
	BMessage chosen(kChooserMessage);
	chosen.AddPointer("control", &control);
	BFilePanel panel(B_OPEN_PANEL, NULL, &fStart, B_DIRECTORY_NODE, false, &chosen, NULL, false,
		true);
	panel.SetButtonLabel(B_DEFAULT_BUTTON, "Select");
	panel.SetTarget(fTarget);
	panel.Show();
	ASSERT_TRUE(panel.Window()->Lock());
	BButton* button = dynamic_cast<BButton*>(panel.Window()->FindView("default button"));
	ASSERT_NE(button, nullptr);
	EXPECT_STREQ(button->Label(), "Select");
	panel.Window()->Unlock();

	BPrivate::complete_file_panel(&panel, {fFolder / "sub"});
	ASSERT_TRUE(fInbox->WaitFor(1));
	BMessage message = fInbox->At(0);
	EXPECT_EQ(message.what, kChooserMessage);
	void* pointer = NULL;
	ASSERT_EQ(message.FindPointer("control", &pointer), B_OK);
	EXPECT_EQ(pointer, &control);
	EXPECT_EQ(RefPaths(message), Paths{fFolder / "sub"});

	// Files cannot be chosen; with nothing selected the folder shown is.
	panel.Show();
	BPrivate::complete_file_panel(&panel, {fFolder / "a.png"});
	ASSERT_TRUE(fInbox->WaitFor(2));
	EXPECT_EQ(RefPaths(fInbox->At(1)), Paths{fFolder.Path()});
}


TEST_F(FilePanelTest, SavePanelSendsFolderAndName)
{
	BFilePanel panel(B_SAVE_PANEL, &fTarget, NULL, 0, true, NULL, NULL, false, true);
	panel.SetSaveText("old.jpg");
	panel.Show();
	std::string name = "new \xff.png";
	BPrivate::complete_file_panel(&panel, {fFolder / ("sub/" + name)});
	ASSERT_TRUE(fInbox->WaitFor(1));
	BMessage message = fInbox->At(0);
	EXPECT_EQ(RefPaths(message, "directory"), Paths{fFolder / "sub"});
	EXPECT_STREQ(message.GetString("name", ""), name.c_str());
	EXPECT_FALSE(panel.IsShowing());

	// The name of an existing folder enters it; Cancel tells the target.
	panel.Show();
	BPrivate::complete_file_panel(&panel, {fFolder / "sub"});
	EXPECT_EQ(shown_folder(panel), fFolder / "sub");
	BPrivate::cancel_file_panel(&panel);
	ASSERT_TRUE(fInbox->WaitFor(2));
	EXPECT_EQ(fInbox->Fields("old_what"),
		(glim_test::FieldList{{B_SAVE_REQUESTED, -5}, {B_CANCEL, B_SAVE_REQUESTED}}));
	EXPECT_FALSE(panel.IsShowing());
}


TEST_F(FilePanelTest, SavePanelHostsTheProgramsFileTypeMenu)
{
	BFilePanel panel(B_SAVE_PANEL, &fTarget, NULL, 0, true, NULL, NULL, false, true);
	BWindow* window = panel.Window();
	ASSERT_TRUE(window->Lock());
	panel.SetSaveText("picture.png");
	BView* background = window->ChildAt(0);
	ASSERT_NE(background, nullptr);
	BView* text = background->FindView("text view");
	BView* cancel = background->FindView("cancel button");
	ASSERT_TRUE(text != NULL && cancel != NULL);
	BRect textFrame = text->Frame();
	BRect cancelFrame = cancel->Frame();
	EXPECT_TRUE(background->Bounds().Contains(textFrame));
	EXPECT_TRUE(background->Bounds().Contains(cancelFrame));
	EXPECT_LT(textFrame.right + 40, cancelFrame.left);
	EXPECT_GE(textFrame.top, cancelFrame.top);
	EXPECT_LE(textFrame.bottom, cancelFrame.bottom);

	// What the save code does: a menu bar between the two, and a wider
	// window.
	BMenuBar* bar = new BMenuBar(BRect(textFrame.right + 5, textFrame.top, cancelFrame.left - 5,
									 textFrame.bottom),
		"File Type", B_FOLLOW_LEFT | B_FOLLOW_BOTTOM, B_ITEMS_IN_ROW, true);
	BMenu* types = new BMenu("File type list");
	types->AddItem(new BMenuItem("PNG", new BMessage('BFtp')));
	bar->AddItem(types);
	background->AddChild(bar);
	window->ResizeTo(window->Bounds().right + 50, window->Bounds().bottom);
	BRect barFrame = bar->Frame();
	cancelFrame = cancel->Frame();
	EXPECT_EQ(barFrame.left, textFrame.right + 5);
	EXPECT_LT(barFrame.right, cancelFrame.left);
	EXPECT_EQ(text->Frame(), textFrame);
	window->Unlock();
	panel.Show();

	// On screen the views are where their frames say.
	QMenuBar* menuBar = glim_test::WaitForWidget<QMenuBar>("Save",
		[](QMenuBar* bar) { return bar->isVisible(); });
	ASSERT_NE(menuBar, nullptr);
	QLineEdit* nameField = name_field(menuBar->window());
	ASSERT_NE(nameField, nullptr);
	// The bar fits its item, its frame rounded to whole pixels.
	BRect shown = widget_frame(menuBar);
	EXPECT_EQ(shown.LeftTop(), barFrame.LeftTop());
	EXPECT_NEAR(shown.right, barFrame.right, 0.5f);
	EXPECT_NEAR(shown.bottom, barFrame.bottom, 0.5f);
	EXPECT_EQ(widget_frame(nameField->parentWidget()), textFrame);
	EXPECT_EQ(nameField->text(), "picture.png");
}


TEST_F(FilePanelTest, TypingAndClickingInTheWidgets)
{
	BFilePanel panel(B_SAVE_PANEL, &fTarget);
	panel.SetPanelDirectory(fFolder.Path().c_str());
	panel.Show();
	QTreeWidget* list = glim_test::WaitForWidget<QTreeWidget>("Save",
		[](QTreeWidget* list) { return list->topLevelItemCount() == 4; });
	ASSERT_NE(list, nullptr);
	QLineEdit* nameField = name_field(list->window());
	ASSERT_NE(nameField, nullptr);
	// Folders first; the hidden entry is not listed.
	EXPECT_EQ(list->topLevelItem(0)->text(0), "sub");
	EXPECT_EQ(list->topLevelItem(1)->text(0), "a.png");

	// Clicking a file takes its name; typing changes it; return saves.
	list->setCurrentItem(list->topLevelItem(2));
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return nameField->text() == "b.png"; }));
	nameField->setText("typed.png");
	emit nameField->textEdited("typed.png");
	emit nameField->returnPressed();
	ASSERT_TRUE(fInbox->WaitFor(1));
	EXPECT_STREQ(fInbox->At(0).GetString("name", ""), "typed.png");
	EXPECT_EQ(RefPaths(fInbox->At(0), "directory"), Paths{fFolder.Path()});

	// Double-clicking a folder enters it; Escape cancels.
	panel.Show();
	emit list->itemActivated(list->topLevelItem(0), 0);
	ASSERT_TRUE(
		BPrivate::run_events_until([&]() { return shown_folder(panel) == fFolder / "sub"; }));
	glim_test::SendKey(nameField, Qt::Key_Escape);
	ASSERT_TRUE(fInbox->WaitFor(2));
	EXPECT_EQ(fInbox->At(1).what, (uint32)B_CANCEL);
	EXPECT_FALSE(panel.IsShowing());
}
