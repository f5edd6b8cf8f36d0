#ifndef _FILE_PANEL_VIEWS_H
#define _FILE_PANEL_VIEWS_H

#include <functional>
#include <string>
#include <vector>

#include <QPointer>

#include <View.h>

class QLabel;
class QLineEdit;
class QTreeWidget;

// Private to the layer: the views of a file panel that a toolkit widget of
// their own shows (a text field, the list of a folder's entries). Like
// every view they keep their state themselves and mirror it into the widget
// while the window is on screen; what the user does in the widget comes
// back as a message to the view, through the window's queue, and reaches
// the panel through the view's callbacks (called with the window locked).
namespace BPrivate {

// A single-line text field with an optional label in front. The text is
// bytes: what the program sets is kept as it is (a file name need not be
// UTF-8) and shown as well as it can be; what the user types is UTF-8.
class PanelTextView : public BView {
public:
	PanelTextView(BRect frame, const char* name, const char* label, uint32 resizingMode);

	virtual void MessageReceived(BMessage* message);

	void SetText(const std::string& text);
	const std::string& Text() const { return fText; }
	// The field takes the keyboard focus (text selected) when it appears.
	void SetInitialFocus(bool focus) { fInitialFocus = focus; }

	std::function<void()> fModified;
	std::function<void()> fEntered;

private:
	virtual QWidget* _CreateWidget(QWidget* parent);
	void _UpdateWidget();
	void _UpdateWidgetNow();

	std::string fLabel;
	std::string fText;
	bool fInitialFocus;
	QPointer<QLineEdit> fEditor;
};


// One entry of a folder as the panel lists it.
struct PanelEntry {
	std::string name;
	// A folder, or a link to one.
	bool folder = false;
	bool link = false;
	// The node flavours allow choosing it (shown greyed otherwise).
	bool enabled = true;
	off_t size = 0;
	time_t modified = 0;
};


// The entries of one folder, in the order given, with the selection (by
// name). Double-clicking or pressing return on an entry activates it.
class PanelListView : public BView {
public:
	PanelListView(BRect frame, const char* name, bool multipleSelection);

	virtual void MessageReceived(BMessage* message);

	// Replaces the entries; selected names still there stay selected.
	void SetEntries(const std::vector<PanelEntry>& entries);
	const std::vector<PanelEntry>& Entries() const { return fEntries; }
	const PanelEntry* Find(const std::string& name) const;
	// Selects the enabled entries of these names (one at most without
	// multiple selection), as the user would.
	void Select(const std::vector<std::string>& names);
	const std::vector<std::string>& Selection() const { return fSelection; }
	void SetInitialFocus(bool focus) { fInitialFocus = focus; }

	std::function<void()> fSelectionChanged;
	std::function<void(const std::string& name)> fActivated;

private:
	virtual QWidget* _CreateWidget(QWidget* parent);
	std::vector<std::string> _Selectable(const std::vector<std::string>& names) const;
	void _Fill(QTreeWidget* widget);
	void _ShowSelection(QTreeWidget* widget);
	void _UpdateWidget(bool entries);
	void _UpdateWidgetNow(bool entries);

	std::vector<PanelEntry> fEntries;
	std::vector<std::string> fSelection;
	// Counts the lists shown, so that a selection made in a list that has
	// been replaced meanwhile is ignored.
	int32 fGeneration;
	bool fMultiple;
	bool fInitialFocus;
	QPointer<QTreeWidget> fList;
};

} // namespace BPrivate

#endif
