#pragma once
// Reads a skin back the way the player does: the layout's values and the
// pieces cut out of the pack by its block counts.
#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace skingen {

struct LoadedSkin {
  std::array<int, 94> values{};            // layout lines 1 .. 94 at index 0 .. 93
  std::array<QByteArray, 19> pieces;        // piece 1 .. 19 at index 0 .. 18
  int value(int line) const { return values[static_cast<std::size_t>(line - 1)]; }
};

// Reads DIR/NAME.txt and DIR/NAME.bmp. On failure returns nothing and sets `error`.
std::optional<LoadedSkin> readSkin(const QString& dir, const QString& name, QString* error);

}  // namespace skingen
