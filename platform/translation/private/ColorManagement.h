#ifndef _COLOR_MANAGEMENT_H
#define _COLOR_MANAGEMENT_H

// Turns decoded pixels into what a bitmap holds: 8-bit sRGB.

#include <QByteArray>
#include <QImage>

namespace BPrivate {

// The image in sRGB as Format_ARGB32 when it has alpha and Format_RGB32
// otherwise, converted with Little CMS from iccProfile, at the image's own
// depth so that 16-bit pixels are rounded once. Without a profile, or with
// one that does not parse or does not describe the pixels (a CMYK profile on
// RGB pixels), the colours are kept as they are. A null image when memory
// runs out.
QImage display_image(QImage image, const QByteArray& iccProfile);

// An ICC profile for pixels described by CICP code points (ITU-T H.273),
// as HEIF and AVIF files without an ICC profile describe them. Empty for
// sRGB and BT.709, and for what Little CMS does not model here (PQ, HLG):
// those pixels are shown as they are.
QByteArray cicp_profile(int primaries, int transfer);

// The ICC profile Qt read with the image, empty when it had none.
QByteArray qt_icc_profile(const QImage& image);

} // namespace BPrivate

#endif
