#include "FilePanelViews.h"

#include <algorithm>

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>

#include <Font.h>
#include <Message.h>
#include <Messenger.h>
#include <Window.h>

#include "AppPrivate.h"
#include "FontPrivate.h"
#include "InterfacePrivate.h"

namespace BPrivate {

namespace {

// From the widgets to their views.
const uint32 kMsgTextEdited = 'fpTe';
const uint32 kMsgTextEntered = 'fpTr';
const uint32 kMsgListSelected = 'fpLs';
const uint32 kMsgListActivated = 'fpLa';

const char kGenerationProperty[] = "glim:generation";


BMessenger
messenger_for(BView* view)
{
	BMessenger messenger;
	messenger._SetTo(view->Window()->_Token(), view->_Token());
	return messenger;
}


QString
display_name(const std::string& bytes)
{
	return QFile::decodeName(QByteArray(bytes.data(), (qsizetype)bytes.size()));
}


std::string
bytes_of(const QByteArray& bytes)
{
	return std::string(bytes.constData(), bytes.size());
}


std::string
name_of(const QTreeWidgetItem* item)
{
	return bytes_of(item->data(0, Qt::UserRole).toByteArray());
}


QTreeWidgetItem*
make_item(const PanelEntry& entry)
{
	QStyle* style = QApplication::style();
	QStyle::StandardPixmap icon = entry.folder
		? (entry.link ? QStyle::SP_DirLinkIcon : QStyle::SP_DirIcon)
		: (entry.link ? QStyle::SP_FileLinkIcon : QStyle::SP_FileIcon);
	QTreeWidgetItem* item = new QTreeWidgetItem;
	item->setIcon(0, style->standardIcon(icon));
	item->setText(0, display_name(entry.name));
	item->setData(0, Qt::UserRole, QByteArray(entry.name.data(), (qsizetype)entry.name.size()));
	if (!entry.folder)
		item->setText(1, QLocale().formattedDataSize(entry.size));
	item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
	item->setText(2,
		QLocale().toString(QDateTime::fromSecsSinceEpoch(entry.modified),
			QLocale::ShortFormat));
	item->setFlags(entry.enabled ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags);
	return item;
}

} // namespace


// #pragma mark - PanelTextView


PanelTextView::PanelTextView(BRect frame, const char* name, const char* label,
	uint32 resizingMode) :
	BView(frame, name, resizingMode, B_NAVIGABLE),
	fLabel(label != NULL ? label : ""),
	fInitialFocus(false)
{
	SetViewColor(216, 216, 216);
}


void
PanelTextView::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kMsgTextEdited:
			fText = message->GetString("text", "");
			if (fModified)
				fModified();
			break;
		case kMsgTextEntered:
			if (fEntered)
				fEntered();
			break;
		default:
			BView::MessageReceived(message);
			break;
	}
}


void
PanelTextView::SetText(const std::string& text)
{
	fText = text;
	_UpdateWidget();
}


QWidget*
PanelTextView::_CreateWidget(QWidget* parent)
{
	QWidget* box = new QWidget(parent);
	box->setFont(qt_font(*be_plain_font));
	QHBoxLayout* layout = new QHBoxLayout(box);
	layout->setContentsMargins(0, 0, 0, 0);
	layout->setSpacing(6);
	if (!fLabel.empty())
		layout->addWidget(new QLabel(QString::fromUtf8(fLabel.c_str()), box));
	QLineEdit* editor = new QLineEdit(box);
	layout->addWidget(editor, 1);
	fEditor = editor;

	BMessenger messenger = messenger_for(this);
	QObject::connect(editor, &QLineEdit::textEdited, editor, [messenger](const QString& text) {
		BMessage message(kMsgTextEdited);
		message.AddString("text", bytes_of(QFile::encodeName(text)));
		messenger.SendMessage(&message);
	});
	QObject::connect(editor, &QLineEdit::returnPressed, editor,
		[messenger]() { messenger.SendMessage(kMsgTextEntered); });
	_UpdateWidgetNow();
	if (fInitialFocus) {
		editor->setFocus();
		editor->selectAll();
	}
	return box;
}


void
PanelTextView::_UpdateWidget()
{
	if (is_gui_thread()) {
		_UpdateWidgetNow();
		return;
	}
	run_for_view(this,
		[](BView* view) { static_cast<PanelTextView*>(view)->_UpdateWidgetNow(); });
}


void
PanelTextView::_UpdateWidgetNow()
{
	if (fEditor == NULL || bytes_of(QFile::encodeName(fEditor->text())) == fText)
		return;
	QSignalBlocker blocker(fEditor.data());
	fEditor->setText(display_name(fText));
}


// #pragma mark - PanelListView


PanelListView::PanelListView(BRect frame, const char* name, bool multipleSelection) :
	BView(frame, name, B_FOLLOW_ALL, B_NAVIGABLE),
	fGeneration(0),
	fMultiple(multipleSelection),
	fInitialFocus(false)
{
	SetViewColor(255, 255, 255);
}


void
PanelListView::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kMsgListSelected: {
			if (message->GetInt32("generation", -1) != fGeneration)
				break;
			// The widget shows this selection already.
			std::vector<std::string> names;
			const char* name;
			for (int32 i = 0; message->FindString("name", i, &name) == B_OK; i++)
				names.push_back(name);
			fSelection = _Selectable(names);
			if (fSelectionChanged)
				fSelectionChanged();
			break;
		}
		case kMsgListActivated:
			if (message->GetInt32("generation", -1) == fGeneration && fActivated)
				fActivated(message->GetString("name", ""));
			break;
		default:
			BView::MessageReceived(message);
			break;
	}
}


void
PanelListView::SetEntries(const std::vector<PanelEntry>& entries)
{
	fEntries = entries;
	fGeneration++;
	std::vector<std::string> kept;
	for (const std::string& name : fSelection) {
		const PanelEntry* entry = Find(name);
		if (entry != NULL && entry->enabled)
			kept.push_back(name);
	}
	fSelection = kept;
	_UpdateWidget(true);
}


const PanelEntry*
PanelListView::Find(const std::string& name) const
{
	for (const PanelEntry& entry : fEntries) {
		if (entry.name == name)
			return &entry;
	}
	return NULL;
}


void
PanelListView::Select(const std::vector<std::string>& names)
{
	fSelection = _Selectable(names);
	_UpdateWidget(false);
	if (fSelectionChanged)
		fSelectionChanged();
}


std::vector<std::string>
PanelListView::_Selectable(const std::vector<std::string>& names) const
{
	std::vector<std::string> selection;
	for (const std::string& name : names) {
		const PanelEntry* entry = Find(name);
		if (entry == NULL || !entry->enabled
			|| std::find(selection.begin(), selection.end(), name) != selection.end())
			continue;
		selection.push_back(name);
		if (!fMultiple)
			break;
	}
	return selection;
}


QWidget*
PanelListView::_CreateWidget(QWidget* parent)
{
	QTreeWidget* list = new QTreeWidget(parent);
	list->setFont(qt_font(*be_plain_font));
	list->setHeaderLabels(
		{QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Modified")});
	list->setRootIsDecorated(false);
	list->setUniformRowHeights(true);
	list->setAllColumnsShowFocus(true);
	list->setSelectionMode(
		fMultiple ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
	list->header()->setStretchLastSection(false);
	list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
	list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
	list->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
	fList = list;

	BMessenger messenger = messenger_for(this);
	QObject::connect(list, &QTreeWidget::itemSelectionChanged, list, [list, messenger]() {
		BMessage message(kMsgListSelected);
		message.AddInt32("generation", list->property(kGenerationProperty).toInt());
		for (int i = 0; i < list->topLevelItemCount(); i++) {
			if (list->topLevelItem(i)->isSelected())
				message.AddString("name", name_of(list->topLevelItem(i)));
		}
		messenger.SendMessage(&message);
	});
	QObject::connect(list, &QTreeWidget::itemActivated, list,
		[list, messenger](QTreeWidgetItem* item) {
			BMessage message(kMsgListActivated);
			message.AddInt32("generation", list->property(kGenerationProperty).toInt());
			message.AddString("name", name_of(item));
			messenger.SendMessage(&message);
		});
	_Fill(list);
	_ShowSelection(list);
	if (fInitialFocus)
		list->setFocus();
	return list;
}


void
PanelListView::_Fill(QTreeWidget* list)
{
	QSignalBlocker blocker(list);
	list->clear();
	QList<QTreeWidgetItem*> items;
	for (const PanelEntry& entry : fEntries)
		items.append(make_item(entry));
	list->addTopLevelItems(items);
	list->setProperty(kGenerationProperty, (int)fGeneration);
}


void
PanelListView::_ShowSelection(QTreeWidget* list)
{
	QSignalBlocker blocker(list);
	QTreeWidgetItem* first = NULL;
	for (int i = 0; i < list->topLevelItemCount(); i++) {
		QTreeWidgetItem* item = list->topLevelItem(i);
		bool selected = std::find(fSelection.begin(), fSelection.end(), name_of(item))
			!= fSelection.end();
		item->setSelected(selected);
		if (selected && first == NULL)
			first = item;
	}
	if (first != NULL) {
		list->setCurrentItem(first, 0, QItemSelectionModel::NoUpdate);
		list->scrollToItem(first);
	}
}


void
PanelListView::_UpdateWidget(bool entries)
{
	if (is_gui_thread()) {
		_UpdateWidgetNow(entries);
		return;
	}
	run_for_view(this, [entries](BView* view) {
		static_cast<PanelListView*>(view)->_UpdateWidgetNow(entries);
	});
}


void
PanelListView::_UpdateWidgetNow(bool entries)
{
	if (fList == NULL)
		return;
	if (entries)
		_Fill(fList.data());
	_ShowSelection(fList.data());
}

} // namespace BPrivate
