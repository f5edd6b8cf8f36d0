#ifndef GLIM_SETTINGS_KEYS_H
#define GLIM_SETTINGS_KEYS_H

#include <Rect.h>
#include <SupportDefs.h>

// Every key of the settings file, with its type and the value a reader uses
// when the key is absent. The keys are the attribute names already stored in
// users' settings files, so none may change.
namespace glim {

// rectangle: the main window's frame, and the next window's place.
constexpr const char* kKeyMainRect = "MainRect";
const BRect kDefaultMainRect(50, 50, 400, 400);
// rectangle: the preferences window's frame.
constexpr const char* kKeyPrefsRect = "PrefsRect";
const BRect kDefaultPrefsRect(200, 200, 450, 550);

// integer, seconds between slides.
constexpr const char* kKeySlideShowTimer = "SlideShowTimer";
constexpr int32 kDefaultSlideShowTimer = 5;

// integer, 0 or not: start in "LastFolder" rather than "DefaultFolder".
constexpr const char* kKeyUseLastFolder = "UseLastFolder";
constexpr int32 kDefaultUseLastFolder = 1;
// string, folder paths.
constexpr const char* kKeyLastFolder = "LastFolder";
constexpr const char* kKeyDefaultFolder = "DefaultFolder";

// float: the thumbnail box and the grid cell around it.
constexpr const char* kKeyThumbWidth = "ThumbWidth";
constexpr const char* kKeyThumbHeight = "ThumbHeight";
constexpr float kDefaultThumbSize = 96;
// The range of the thumbnail box the preferences window offers.
constexpr float kMinThumbSize = 32;
constexpr float kMaxThumbSize = 240;
constexpr const char* kKeyFrameWidth = "FrameWidth";
constexpr const char* kKeyFrameHeight = "FrameHeight";
constexpr float kDefaultFrameSize = 138;

// integer, 0 or not: the grid's background and cell decoration.
constexpr const char* kKeyColorAsBackground = "ColorAsBackground";
constexpr int32 kDefaultColorAsBackground = 1;
constexpr const char* kKeyDrawBorder = "DrawBorder";
constexpr const char* kKeyDrawShadow = "DrawShadow";
constexpr int32 kDefaultDrawDecoration = 1;
// string, the image path behind the grid; none by default. "Baackground" is
// the historical spelling of the stored key: settings files written by every
// earlier version carry it, so it must stay as it is.
constexpr const char* kKeyBackgroundImage = "BaackgroundImage";

// integer, 0 or not.
constexpr const char* kKeyFitToWindow = "FitToWindow";
constexpr int32 kDefaultFitToWindow = 0;

// integer, mouse-action codes: 1 select, 2 zoom, 3 pan, 4 next image,
// 5 previous image, 6 glide.
constexpr const char* kKeyLeftMouseFunc = "LeftMouseFunc";
constexpr const char* kKeyRightMouseFunc = "RightMouseFunc";
constexpr int32 kDefaultLeftMouseFunc = 1;
constexpr int32 kDefaultRightMouseFunc = 3;
constexpr int32 kFirstMouseAction = 1;
constexpr int32 kLastMouseAction = 6;

// A stored mouse-action value outside the codes is ignored.
constexpr bool
valid_mouse_action(int32 value)
{
	return value >= kFirstMouseAction && value <= kLastMouseAction;
}

} // namespace glim

#endif
