// A skin drawn with a theme and packed into the two files the player loads: the pack (19 BMP
// files back to back) and the 94-line layout that places and sizes them.
#pragma once
#include <QByteArray>
#include <QImage>

#include <array>

#include "formats/skin_layout.h"
#include "theme.h"

namespace skingen {

struct SkinContent {
  std::array<QImage, kSkinPieceCount> pictures;  // piece 1 first
  TSkinLayout layout;                            // the pieces' sizes are set when packed
};

struct SkinFiles {
  QByteArray pack;
  QByteArray layout;
};

SkinFiles packSkin(const SkinContent& content);

// Draws every piece of a skin with the given theme and places it.
SkinContent drawSkin(const Theme& theme);

}  // namespace skingen
