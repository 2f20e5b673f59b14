// The interface font: the Japanese gothic faces in order of preference, then sans-serif.
#pragma once

#include <QFont>

QFont InterfaceFont();
// Bold face of the title labels at a pixel size.
QFont LabelFont(int pixelSize);
// The skin gives label sizes in points, meant for a 96-dpi screen.
int PointsToSkinPixels(int points);
// Font sizes from skins and settings, held to 1..kLargestFontSize points: larger ones only
// come from damaged files (and would overflow the pixel sums).
constexpr int kLargestFontSize = 200;
int ClampFontSize(int points);
