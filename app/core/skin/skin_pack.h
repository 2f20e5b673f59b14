// A skin on disk: the pack N.bmp (19 complete BMP files one after the other) and the layout
// N.txt in the skin folder. The pack is cut in memory; no piece file is ever written.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <array>

#include "core/skin/skin_layout.h"

inline constexpr const char* kDefaultSkinName = "default";

struct TSkin {
  QString Name;  // the name actually loaded (after the fallback to "default")
  TSkinLayout Layout;
  std::array<QByteArray, kSkinPieceCount> Pieces;

  // Piece number 1 ... 19 as a picture. An empty piece gives an empty picture; bytes that are
  // not a bitmap raise ESkinError.
  QImage Picture(int piece) const;
  QPoint Position(int piece) const { return Layout.Positions[piece - 1]; }
};

// Cuts the pack into its pieces; raises ESkinError when the pack is shorter than the layout
// says. Bytes after the last piece are ignored.
std::array<QByteArray, kSkinPieceCount> CutSkinPack(const QByteArray& pack,
                                                   const TSkinLayout& layout);

// The name to load: name itself when skinDir holds name.bmp, otherwise "default".
QString ResolveSkinName(const QString& skinDir, const QString& name);

// Reads pack and layout of the resolved name. Raises EFileError or ESkinError.
TSkin ReadSkin(const QString& skinDir, const QString& name);

// Skins offered besides the standard one: every *.txt in skinDir except default.txt, by name.
QStringList ListSkinNames(const QString& skinDir);
