#pragma once
// Where everything sits in the three skinned windows. The application docks
// the playlist window to the right of the main picture and the lyrics window
// below it, so the sizes are chosen to form one block: 440 + 380 wide,
// 184 + 204 = 388 high.
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>

#include <array>

#include "formats/skin_windows.h"

namespace skingen::geometry {

// Main window.
inline constexpr QSize kMainSize{440, 184};
inline constexpr QPointF kOrbCentre{92, 92};
inline constexpr double kOrbRadius = 86;
inline constexpr QRect kMainBody{92, 24, 345, 137};  // right of the orb
inline constexpr double kPlayRadius = 30;
inline constexpr double kRingRadius = 57;  // where the ring buttons sit
inline constexpr double kBeadRadius = 16;
inline constexpr QRect kDisplay{196, 34, 228, 66};
inline constexpr QRect kLabel{202, 43, 216, 22};
inline constexpr int kLabelFontSize = 10;
// The progress line lies on the display's foot, where the accent hairline runs; the time text
// sits under the display, centred over the three small buttons.
inline constexpr QRect kProgress{220, 93, 180, 5};
inline constexpr QRect kTime{322, 102, 92, 16};
inline constexpr QPointF kWordMarkAt{204, 120};
inline constexpr double kWordMarkHeight = 13;
inline constexpr double kSmallRadius = 11;  // about, minimise, exit
inline constexpr std::array<QPointF, 3> kSmallCentres{{{340, 131}, {368, 131}, {396, 131}}};

// The five ring positions around the orb, in degrees (0 = right, clockwise).
enum class RingSlot { Pause, Next, Playlist, Stop, Previous };
inline constexpr std::array<double, 5> kRingAngles{-90, -18, 54, 126, 198};

// Lyrics window.
inline constexpr QSize kLyricsSize{360, 204};
inline constexpr QRect kLyricsBody{1, 1, 318, 202};
inline constexpr QRect kLyricsSpine{292, 16, 67, 172};
inline constexpr QRect kPaintBox{22, 24, 270, 157};
inline constexpr QPoint kLyricsClose{316, 26};
inline constexpr QPoint kLyricsFaster{316, 90};
inline constexpr QPoint kLyricsSlower{316, 124};
inline constexpr int kLyricsButton = 30;

// Playlist window.
inline constexpr QSize kPlaylistSize{380, 388};
inline constexpr QRect kPlaylistBody{1, 10, 378, 377};
inline constexpr QRect kPlaylistTab{14, 1, 150, 30};
inline constexpr QRect kCombo{20, 46, 340, 24};
inline constexpr QRect kGrid{20, 80, 340, 252};
inline constexpr QPoint kListClose{334, 18};
inline constexpr int kListCloseSize = 26;
inline constexpr std::array<QPoint, 3> kListPills{{{20, 344}, {92, 344}, {164, 344}}};  // new, open, save
inline constexpr QSize kPillSize{64, 30};

// Each picture must fit the client area its window keeps.
constexpr bool fits(QSize picture, QSize client) {
  return picture.width() <= client.width() && picture.height() <= client.height();
}
static_assert(fits(kMainSize, kMainWindowClient));
static_assert(fits(kLyricsSize, kLyricsWindowClient));
static_assert(fits(kPlaylistSize, kPlaylistWindowClient));

}  // namespace skingen::geometry
