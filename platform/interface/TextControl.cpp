// BTextControl: its state and drawing here, its field on screen a
// QLineEdit inside the view's widget.
#include "TextControl.h"

#include <cmath>

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <Message.h>
#include <Window.h>

#include "ControlDrawing.h"
#include "FontPrivate.h"
#include "InterfacePrivate.h"
#include "ViewAccess.h"
#include "ViewWidget.h"

namespace BPrivate {

// The field on screen. It knows its control by tokens only, and reaches it
// with the window locked through the GUI thread's retrying path.
class TextControlEdit : public QLineEdit {
public:
	TextControlEdit(BTextControl* control, QWidget* parent) :
		QLineEdit(parent),
		fWindowToken(control->Window()->_Token()),
		fControlToken(control->_Token())
	{
		setFrame(true);
		connect(this, &QLineEdit::textEdited, this,
			[this]() { _Run([](BTextControl* control) { control->_TextEdited(); }); });
		connect(this, &QLineEdit::returnPressed, this,
			[this]() { _Run([](BTextControl* control) { control->_Commit(); }); });
	}

protected:
	void keyPressEvent(QKeyEvent* event) override
	{
		QLineEdit::keyPressEvent(event);
		// Return belongs to the field: it must not reach the window too.
		if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
			event->accept();
	}

	void focusInEvent(QFocusEvent* event) override
	{
		QLineEdit::focusInEvent(event);
		_Run([](BTextControl* control) {
			if (!control->IsFocus())
				control->MakeFocus(true);
		});
	}

	void focusOutEvent(QFocusEvent* event) override
	{
		QLineEdit::focusOutEvent(event);
		_Run([](BTextControl* control) { control->_Commit(); });
	}

private:
	void _Run(void (*function)(BTextControl*))
	{
		run_for_view(fWindowToken, fControlToken, [function](BView* view) {
			if (BTextControl* control = dynamic_cast<BTextControl*>(view))
				function(control);
		});
	}

	int32 fWindowToken;
	int32 fControlToken;
};


namespace {

QLineEdit*
line_edit(const BView* view)
{
	QWidget* widget = ViewAccess::Widget(view);
	return widget != NULL ? widget->findChild<QLineEdit*>() : NULL;
}

} // namespace

} // namespace BPrivate


BTextControl::BTextControl(BRect frame, const char* name, const char* label, const char* text,
	BMessage* message, uint32 resizingMode, uint32 flags) :
	BControl(frame, name, label, message, resizingMode, flags),
	fText(text != NULL ? text : ""),
	fDivider(0),
	fModified(false),
	fFocusShown(false)
{
	if (Label()[0] != '\0')
		fDivider = std::ceil(StringWidth(Label())) + 6;
}


BTextControl::~BTextControl()
{
}


// The label left of the divider; the field itself, which the line edit
// covers on screen, drawn for off-screen views.
void
BTextControl::Draw(BRect)
{
	BRect bounds = Bounds();
	BRect label(bounds.left, bounds.top, bounds.left + fDivider, bounds.bottom);
	BPrivate::draw_text(this, Label(),
		BPoint(label.left, BPrivate::centered_baseline(this, label)), IsEnabled());

	BRect field = _TextFrame();
	SetHighColor(IsEnabled() ? make_color(255, 255, 255) : ViewColor());
	FillRect(field);
	SetHighColor(IsEnabled() ? BPrivate::kControlFrameColor : BPrivate::kDisabledTextColor);
	StrokeRect(field);
	BPrivate::draw_text(this, fText.c_str(),
		BPoint(field.left + 3, BPrivate::centered_baseline(this, field)), IsEnabled());
}


// Keys reach the control itself only while the field does not have the
// keyboard; they are not the control's to act on.
void
BTextControl::KeyDown(const char* bytes, int32 numBytes)
{
	BView::KeyDown(bytes, numBytes);
}


void
BTextControl::MakeFocus(bool focus)
{
	BControl::MakeFocus(focus);
	BPrivate::ViewAccess::SyncWidget(this);
}


void
BTextControl::GetPreferredSize(float* _width, float* _height)
{
	font_height height;
	GetFontHeight(&height);
	if (_width != NULL)
		*_width = std::max(Bounds().Width(), fDivider + 40);
	if (_height != NULL)
		*_height = std::ceil(height.ascent + height.descent) + 8;
}


void
BTextControl::SetText(const char* text)
{
	fText = text != NULL ? text : "";
	fModified = false;
	Invalidate();
	BPrivate::ViewAccess::SyncWidget(this);
}


void
BTextControl::SetEnabled(bool enabled)
{
	BControl::SetEnabled(enabled);
	BPrivate::ViewAccess::SyncWidget(this);
}


void
BTextControl::SetLabel(const char* label)
{
	BControl::SetLabel(label);
	BPrivate::ViewAccess::SyncWidget(this);
}


void
BTextControl::SetDivider(float position)
{
	fDivider = std::max(position, 0.0f);
	Invalidate();
	BPrivate::ViewAccess::SyncWidget(this);
}


BRect
BTextControl::_TextFrame() const
{
	BRect bounds = Bounds();
	return BRect(bounds.left + fDivider, bounds.top, bounds.right, bounds.bottom);
}


// #pragma mark - the field on screen


QWidget*
BTextControl::_CreateWidget(QWidget* parent)
{
	BPrivate::ViewWidget* widget = new BPrivate::ViewWidget(this, parent);
	new BPrivate::TextControlEdit(this, widget);
	fFocusShown = false;
	return widget;
}


void
BTextControl::_WidgetStateChanged()
{
	QLineEdit* edit = BPrivate::line_edit(this);
	if (edit == NULL)
		return;
	QString shown = QString::fromUtf8(fText.data(), (qsizetype)fText.size());
	if (edit->text() != shown)
		edit->setText(shown);
	edit->setEnabled(IsEnabled());
	BFont font;
	GetFont(&font);
	edit->setFont(BPrivate::qt_font(font));
	QRect area = BPrivate::widget_rect(_TextFrame(), LeftTop());
	edit->setGeometry(area);
	edit->setVisible(area.width() > 0);
	// The keyboard focus follows the window's focus view when that changes;
	// otherwise the user's clicks decide.
	if (IsFocus() != fFocusShown) {
		fFocusShown = IsFocus();
		if (fFocusShown)
			edit->setFocus(Qt::OtherFocusReason);
		else
			edit->clearFocus();
	}
}


// The user changed the field's text (GUI thread, window locked).
void
BTextControl::_TextEdited()
{
	QLineEdit* edit = BPrivate::line_edit(this);
	if (edit == NULL)
		return;
	QByteArray bytes = edit->text().toUtf8();
	fText.assign(bytes.constData(), (size_t)bytes.size());
	fModified = true;
}


void
BTextControl::_Commit()
{
	if (!fModified)
		return;
	fModified = false;
	Invoke();
}
