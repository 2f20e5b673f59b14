// Where the main window shows the track's time and progress line, and in which colours: the
// skin's optional time lines, or for a skin without them places under the title labels.
#pragma once

#include <QRect>

#include <cstdint>

#include "formats/skin_layout.h"

// The title and artist labels' places when a skin leaves the label left at 0.
inline constexpr int kDefaultTitleTop = 48;
inline constexpr int kDefaultArtistTop = 58;
inline constexpr int kDefaultLabelHeight = 20;

struct TTimePlaces {
  QRect Time;
  uint32_t TimeColor = 0;  // Windows colour values 0x00BBGGRR
  QRect Progress;
  uint32_t ProgressColor = 0;
  uint32_t ProgressBackColor = 0;
};

// Each line the skin leaves unset takes its default: the time text in a row under the artist
// label across the labels' width, the progress line under it, both in the labels' colour (the
// rest of the line at half its brightness). backgroundWidth is the main picture's width.
TTimePlaces MainTimePlaces(const TSkinLayout& layout, int backgroundWidth);
