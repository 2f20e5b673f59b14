#pragma once
// Runs the generator into a temporary folder, once per process and variant.
#include <QImage>
#include <QString>

namespace skintest {

// `disableWideSimd` runs it with Qt's wider SIMD pixel routines switched
// off, as on an older or non-x86 processor.
QString generatedArtDir(bool disableWideSimd);

QString committedArtDir();

// WCAG relative luminance of an sRGB colour, 0 .. 1.
double luminance(QRgb colour);
// Contrast ratio of white text over a colour.
double whiteContrast(QRgb colour);

}  // namespace skintest
