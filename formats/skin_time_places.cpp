#include "formats/skin_time_places.h"

namespace {

constexpr int kTimeHeight = 16;
constexpr int kProgressHeight = 6;
constexpr int kProgressInset = 8;

}  // namespace

TTimePlaces MainTimePlaces(const TSkinLayout& layout, int backgroundWidth) {
  const QRect& l = layout.Label;
  // The labels' block: the artist's shadow is the lowest of them.
  const int left = l.x() != 0 ? l.x() : 0;
  const int width = l.x() != 0 ? l.width() + 1 : backgroundWidth;
  const int bottom = l.x() != 0 ? l.y() + 2 * l.height() + 4 : kDefaultArtistTop + kDefaultLabelHeight;
  const int inset = width > 4 * kProgressInset ? kProgressInset : 0;
  const TSkinTimeLines& t = layout.TimeLines;
  TTimePlaces places;
  places.Time = t.Time.isEmpty() ? QRect(left, bottom + 2, width, kTimeHeight) : t.Time;
  places.Progress = t.Progress.isEmpty()
                        ? QRect(left + inset, bottom + 4 + kTimeHeight, width - 2 * inset, kProgressHeight)
                        : t.Progress;
  const uint32_t label = layout.LabelColor & 0xFFFFFF;
  places.TimeColor = t.TimeColor.value_or(label);
  places.ProgressColor = t.ProgressColor.value_or(label);
  places.ProgressBackColor = t.ProgressBackColor.value_or(label >> 1 & 0x7F7F7F);
  return places;
}
