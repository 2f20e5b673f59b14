// The interface font: the Japanese gothic faces in order of preference, then sans-serif.
#pragma once

#include <QFont>

QFont InterfaceFont();
// Bold face of the title labels at a pixel size.
QFont LabelFont(int pixelSize);
// The skin gives label sizes in points, meant for a 96-dpi screen.
int PointsToSkinPixels(int points);
