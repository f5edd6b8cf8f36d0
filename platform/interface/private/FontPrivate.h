#ifndef _FONT_PRIVATE_H
#define _FONT_PRIVATE_H

#include <QFont>

class BFont;

namespace BPrivate {

// The toolkit font that draws and measures a BFont.
QFont qt_font(const BFont& font);

} // namespace BPrivate

#endif
