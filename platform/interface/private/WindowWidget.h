#ifndef _WINDOW_WIDGET_H
#define _WINDOW_WIDGET_H

#include <atomic>
#include <string>

#include <QTimer>
#include <QWidget>

#include <OS.h>

class BMessage;
class BWindow;

namespace BPrivate {

// The top-level widget of a BWindow. Its events become messages in the
// window's queue: the close box B_QUIT_REQUESTED, keys B_KEY_DOWN and
// B_KEY_UP, resizing and moving by the user B_WINDOW_RESIZED and
// B_WINDOW_MOVED, activation B_WINDOW_ACTIVATED; its timer posts B_PULSE
// (one at a time). Changes that the layer itself makes to the geometry are
// not reported back.
class WindowWidget : public QWidget {
public:
	explicit WindowWidget(BWindow* window);

	void SetExpectedGeometry(const QRect& geometry) { fExpected = geometry; }
	void SetPulseRate(bigtime_t rate);
	void PulseDelivered() { fPulsePending = false; }
	void Activate();

protected:
	bool event(QEvent* event) override;
	void closeEvent(QCloseEvent* event) override;
	void resizeEvent(QResizeEvent* event) override;
	void moveEvent(QMoveEvent* event) override;
	void changeEvent(QEvent* event) override;
	void keyPressEvent(QKeyEvent* event) override;
	void keyReleaseEvent(QKeyEvent* event) override;

private:
	void _Post(BMessage* message);
	void _PostKey(uint32 what, QKeyEvent* event);

	int32 fWindowToken;
	uint32 fWindowFlags;
	QRect fExpected;
	QTimer fPulseTimer;
	std::atomic<bool> fPulsePending;
};

// The bytes a key event gives KeyDown: UTF-8 text, or the platform's byte
// for keys without text (arrows, B_HOME, B_DELETE...). With the command key
// held, letters give their plain lower-case (upper with shift) character.
std::string key_bytes(int qtKey, int qtModifiers, const QString& text);

// Posts a key message to the window as a key event would, and records the
// modifiers it carries.
void post_key_message(int32 windowToken, uint32 what, const std::string& bytes, int32 key,
	uint32 modifiers, bool repeat = false);

} // namespace BPrivate

#endif
