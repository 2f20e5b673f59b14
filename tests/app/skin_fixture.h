// Small skins made on the spot: 19 pieces with known colours and sizes, their pack and
// layout written into a skin folder the way the skin files are laid out.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

#include <array>

struct TTestSkin {
  std::array<QImage, 19> Pieces;     // piece i + 1
  std::array<QPoint, 19> Positions;  // where the layout places them
  QRect Combo{10, 10, 200, 20};
  QRect Grid{10, 40, 260, 200};
  QRect PaintBox{20, 20, 270, 157};
  int LabelFontSize = 9;
  quint32 LabelColor = 0x0000FFFF;  // 0x00BBGGRR: yellow
  QRect Label{20, 30, 240, 14};
};

// variant changes the colours and the main background's size, so skins can be told apart.
TTestSkin MakeTestSkin(int variant);

// The pack and the layout, whose lines end in CR LF as an editor on Windows leaves them.
struct TTestSkinFiles {
  QByteArray Pack;
  QByteArray Layout;
};
TTestSkinFiles TestSkinFiles(const TTestSkin& skin);

// Writes name.bmp and name.txt into skinDir (created when missing).
void WriteTestSkin(const QString& skinDir, const QString& name, const TTestSkin& skin);
