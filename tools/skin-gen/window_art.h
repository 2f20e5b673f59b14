#pragma once
// The three skinned windows of one theme: each a background picture and its
// buttons, already cut, in the order the skin pack stores them.
#include <vector>

#include "buttons.h"
#include "theme.h"

namespace skingen {

struct WindowArt {
  QImage background;
  std::vector<Piece> buttons;
};

// Buttons: play, stop, pause, previous, next, playlist (keyed), minimise, exit, about (opaque).
WindowArt drawMainWindow(const Theme& theme);
// Buttons: close, faster, slower.
WindowArt drawLyricsWindow(const Theme& theme);
// Buttons: new, open, save, close.
WindowArt drawPlaylistWindow(const Theme& theme);

}  // namespace skingen
