// The pack of a skin: its 19 pieces, each a complete BMP file, one after the other with
// nothing between them, so the pack opens as piece 1. The layout's block counts and
// remainders give each piece's size.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <array>

#include "formats/skin_layout.h"

using TSkinPieces = std::array<QByteArray, kSkinPieceCount>;  // piece i+1 at [i]

struct TSkin {
  QString Name;
  TSkinLayout Layout;
  TSkinPieces Pieces;

  // Piece number 1 ... 19 as a picture. An empty piece gives an empty picture; bytes that are
  // not a bitmap raise ESkinError.
  QImage Picture(int piece) const;
  QPoint Position(int piece) const { return Layout.Positions[piece - 1]; }
};

// Cuts the pack into its pieces; raises ESkinError when the pack is shorter than the layout
// says. Bytes after the last piece are ignored.
TSkinPieces CutSkinPack(const QByteArray& pack, const TSkinLayout& layout);

// Joins the pieces into a pack and sets their block counts and remainders in layout.
QByteArray JoinSkinPack(const TSkinPieces& pieces, TSkinLayout& layout);
