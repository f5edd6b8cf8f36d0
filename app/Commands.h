#ifndef GLIM_COMMANDS_H
#define GLIM_COMMANDS_H

#include <AppDefs.h>
#include <SupportDefs.h>

// Every command inside the viewer travels as a BMessage whose `what` is one
// of these four-character codes. Fields are given beside each code.

// Main-window and application commands.
enum {
	MSG_OPEN_PANEL = 'BOpn', // application: show the open panel
	MSG_SHOW_PREFS = 'BPre', // application: show the preferences
	MSG_SAVE_AS = 'BSav',
	MSG_SAVE_SELECTION = 'BSsl',
	MSG_CLOSE_WINDOW = 'BCls',
	MSG_TOGGLE_VIEW = 'Bvim',
	MSG_FIRST_IMAGE = 'BFst',
	MSG_PREV_IMAGE = 'BPrv',
	MSG_NEXT_IMAGE = 'BNxt',
	MSG_LAST_IMAGE = 'BLst',
	MSG_TOGGLE_SLIDESHOW = 'BShw',
	MSG_ZOOM_IN = 'Bzin',
	MSG_ZOOM_OUT = 'Bzot',
	MSG_CLEAR_SELECTION = 'Bnsl',
	MSG_REFRESH_THUMBNAILS = 'Brfs',
	MSG_HELP = 'BHlp',
	MSG_MOUSE_MENU = 'Bmse',
	MSG_ZOOM_MENU = 'Bmag',
	MSG_OPEN_FOLDER = 'Bvbi', // "Folder" string, "Image" string (optional)
	MSG_FOLDER_SELECTED = 'Dsel', // "index" int32: visible index of the tree item
	MSG_THUMBNAIL_OPEN = 'Tvsl', // "index" int32: index in the image list
	MSG_THUMBNAIL_MENU = 'Tctx', // "index" int32, -1 when no thumbnail was hit
	MSG_SAVE_TYPE = 'BFtp', // "glim:filetype" int32: translator output type
	MSG_PREFS_CHANGED = 'Pupd', // "BPrefsHandler" pointer: the settings store
	MSG_PREFS_NOT_STORED = 'Pfal' // application: "path" string, "error" int32
};

// Pop-up menu items; read back from the chosen item, never dispatched.
enum {
	MSG_SET_ZOOM = 'Bszm', // "zoom" float
	MSG_LEFT_MOUSE_ACTION = 'Blba', // "mouse_action" int32, 1 to 6
	MSG_RIGHT_MOUSE_ACTION = 'Brba', // "mouse_action" int32, 1 to 6
	MSG_REMOVE_FILE = 'Brmv',
	MSG_OPEN_WITH = 'Bopw' // "open_sig" string: application signature
};

// Preferences window controls, all sent to that window.
enum {
	MSG_PREF_USE_LAST_FOLDER = 'Bulf',
	MSG_PREF_USE_DEFAULT_FOLDER = 'BDef',
	MSG_PREF_FOLDER_TEXT = 'BDtx',
	MSG_PREF_BROWSE_FOLDER = 'Pbro',
	MSG_PREF_FILE_CHOSEN = 'Pfsl', // "refs" entry_ref, "control" pointer
	MSG_PREF_SLIDESHOW_TIMER = 'Psst',
	MSG_PREF_FIT_TO_WINDOW = 'Pftw',
	MSG_PREF_USE_COLOR = 'Bufc',
	MSG_PREF_USE_IMAGE = 'Buim',
	MSG_PREF_IMAGE_TEXT = 'Bimg',
	MSG_PREF_BROWSE_IMAGE = 'Bbim',
	MSG_PREF_THUMBNAIL_SIZE = 'Btsz',
	MSG_PREF_DRAW_BORDER = 'Bdbd',
	MSG_PREF_DRAW_SHADOW = 'Bdsh',
	MSG_PREF_OK = 'Pvok',
	MSG_PREF_CANCEL = 'Pcan'
};

// Mouse actions stored under "LeftMouseFunc" and "RightMouseFunc".
enum {
	kMouseSelect = 1,
	kMouseZoom = 2,
	kMousePan = 3,
	kMouseNextImage = 4,
	kMousePreviousImage = 5,
	kMouseGlide = 6
};

// The application's signature.
#define kViewerSignature "application/x-vnd.Fenwix-Viewer"

#endif
