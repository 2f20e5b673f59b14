#pragma once
// The five built-in lyrics backgrounds: pink, blue, green, red and orange,
// each deep enough that white text stays readable everywhere on it.
#include <QImage>
#include <QSize>

namespace skingen {

inline constexpr int kLyricsBackgroundCount = 5;
inline constexpr QSize kLyricsBackgroundSize{270, 157};

// index 1 .. 5 in menu order.
QImage drawLyricsBackground(int index);

}  // namespace skingen
