#include "Font.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <QFontMetricsF>
#include <QString>

#include "FontPrivate.h"
#include "AppPrivate.h"

namespace {

const char* kPlainFamily = "DejaVu Sans";
const char* kFixedFamily = "DejaVu Sans Mono";
const float kDefaultSize = 12.0f;


BFont
make_font(const char* family, uint16 face)
{
	BFont font;
	font.SetFamilyAndFace(family, face);
	return font;
}

const BFont sPlainFont = make_font(kPlainFamily, B_REGULAR_FACE);
const BFont sBoldFont = make_font(kPlainFamily, B_BOLD_FACE);
const BFont sFixedFont = make_font(kFixedFamily, B_REGULAR_FACE);

} // namespace

const BFont* be_plain_font = &sPlainFont;
const BFont* be_bold_font = &sBoldFont;
const BFont* be_fixed_font = &sFixedFont;


BFont::BFont() :
	fFamily(kPlainFamily),
	fSize(kDefaultSize),
	fFace(B_REGULAR_FACE)
{
}


BFont::BFont(const BFont& font) = default;


BFont::BFont(const BFont* font) :
	BFont(font != NULL ? *font : BFont())
{
}


BFont& BFont::operator=(const BFont& font) = default;


bool
BFont::operator==(const BFont& font) const
{
	return fFamily == font.fFamily && fSize == font.fSize && fFace == font.fFace;
}


void
BFont::SetFamilyAndFace(const font_family family, uint16 face)
{
	if (family != NULL)
		fFamily = family;
	SetFace(face);
}


void
BFont::SetSize(float size)
{
	if (size > 0)
		fSize = size;
}


void
BFont::SetFace(uint16 face)
{
	fFace = face != 0 ? face : (uint16)B_REGULAR_FACE;
}


float
BFont::StringWidth(const char* string) const
{
	if (string == NULL)
		return 0;
	return StringWidth(string, strlen(string));
}


float
BFont::StringWidth(const char* string, int32 length) const
{
	if (string == NULL || length <= 0)
		return 0;
	BPrivate::attach_gui_thread();
	QFontMetricsF metrics(BPrivate::qt_font(*this));
	return metrics.horizontalAdvance(QString::fromUtf8(string, length));
}


void
BFont::GetHeight(font_height* height) const
{
	if (height == NULL)
		return;
	BPrivate::attach_gui_thread();
	QFontMetricsF metrics(BPrivate::qt_font(*this));
	height->ascent = metrics.ascent();
	height->descent = metrics.descent();
	height->leading = metrics.leading();
}


QFont
BPrivate::qt_font(const BFont& font)
{
	QFont result(QString::fromStdString(font._Family()));
	result.setPixelSize(std::max(1, (int)(font.Size() + 0.5f)));
	result.setBold((font.Face() & B_BOLD_FACE) != 0);
	result.setItalic((font.Face() & B_ITALIC_FACE) != 0);
	result.setUnderline((font.Face() & B_UNDERSCORE_FACE) != 0);
	result.setStrikeOut((font.Face() & B_STRIKEOUT_FACE) != 0);
	return result;
}


// Fonts bring in fontconfig, whose process-wide configuration is never
// released before exit; leak checking in sanitizer builds leaves it out.
extern "C" const char*
__lsan_default_suppressions()
{
	return "leak:libfontconfig.so\n";
}
