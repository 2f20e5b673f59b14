#include "skin_fixture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>

#include <stdexcept>

#include "formats/skin_pieces.h"

namespace {

QImage Filled(QSize size, QColor color) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(color);
  return image;
}

// A background with a pure black outside and a rounded body of colour `body`.
QImage Background(QSize size, QColor body) {
  QImage image = Filled(size, Qt::black);
  QPainter p(&image);
  p.setPen(Qt::NoPen);
  p.setBrush(body);
  p.drawRoundedRect(QRect(QPoint(4, 4), size - QSize(8, 8)), 20, 20);
  return image;
}

// A button with a magenta key at its corners.
QImage Button(QColor face) {
  QImage image = Filled(QSize(24, 20), QColor(255, 0, 255));
  QPainter p(&image);
  p.setPen(Qt::NoPen);
  p.setBrush(face);
  p.drawEllipse(QRect(2, 2, 20, 16));
  return image;
}

QByteArray BmpBytes(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "BMP")) throw std::runtime_error("cannot encode BMP");
  return bytes;
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
    throw std::runtime_error("cannot write " + path.toStdString());
}

}  // namespace

TTestSkin MakeTestSkin(int variant) {
  TTestSkin s;
  const QColor body = QColor::fromHsv((variant * 97) % 360, 160, 200);
  s.Pieces[0] = Background(QSize(300 + 10 * variant, 200), body);
  for (int i = 1; i <= 9; ++i) s.Pieces[i] = Button(QColor::fromHsv((i * 30 + variant * 50) % 360, 200, 230));
  s.Pieces[10] = Background(QSize(320, 240), body.darker(130));  // lyrics
  for (int i = 11; i <= 13; ++i) s.Pieces[i] = Filled(QSize(16, 16), QColor::fromHsv(i * 20, 100, 240));
  s.Pieces[14] = Background(QSize(290, 300), body.lighter(120));  // playlist
  for (int i = 15; i <= 18; ++i) s.Pieces[i] = Filled(QSize(18, 14), QColor::fromHsv(i * 15, 120, 220));
  for (int i = 0; i < 19; ++i) s.Positions[i] = QPoint(10 + 26 * (i % 10), 150 + 2 * (i / 10));
  s.Positions[0] = QPoint(0, 0);
  s.Positions[10] = QPoint(0, 0);
  s.Positions[14] = QPoint(0, 0);
  return s;
}

TTestSkinFiles TestSkinFiles(const TTestSkin& skin) {
  TSkinLayout layout;
  layout.Positions = skin.Positions;
  layout.Combo = skin.Combo;
  layout.Grid = skin.Grid;
  layout.PaintBox = skin.PaintBox;
  layout.LabelFontSize = skin.LabelFontSize;
  layout.LabelColor = skin.LabelColor;
  layout.Label = skin.Label;
  TSkinPieces pieces;
  for (size_t i = 0; i < pieces.size(); ++i) pieces[i] = BmpBytes(skin.Pieces[i]);
  TTestSkinFiles files;
  files.Pack = JoinSkinPack(pieces, layout);
  files.Layout = FormatSkinLayout(layout).replace("\n", "\r\n");
  return files;
}

void WriteTestSkin(const QString& skinDir, const QString& name, const TTestSkin& skin) {
  QDir().mkpath(skinDir);
  const TTestSkinFiles files = TestSkinFiles(skin);
  Write(QDir(skinDir).filePath(name + QStringLiteral(".bmp")), files.Pack);
  Write(QDir(skinDir).filePath(name + QStringLiteral(".txt")), files.Layout);
}
