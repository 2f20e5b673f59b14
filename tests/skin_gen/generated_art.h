#pragma once
// Runs the generator into a temporary folder, once per process and variant.
#include <QImage>
#include <QString>

namespace skintest {

// `plainMaths` runs it with glibc's maths as on a processor without FMA and
// AVX, whose sin, cos, atan2 and pow round some results differently.
QString generatedArtDir(bool plainMaths);

QString committedArtDir();

// WCAG relative luminance of an sRGB colour, 0 .. 1.
double luminance(QRgb colour);
// Contrast ratio of white text over a colour.
double whiteContrast(QRgb colour);

}  // namespace skintest
