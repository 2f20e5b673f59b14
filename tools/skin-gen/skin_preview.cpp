#include "skin_preview.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include "formats/skin_pieces.h"
#include "program_icon.h"

namespace skingen {
namespace {

// A picture whose pure-black pixels are outside the window (row 0 and column
// 0 never count), as the window region is built from it.
QImage shaped(const QImage& picture) {
  QImage out = picture.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); ++y)
    for (int x = 0; x < out.width(); ++x)
      if (x == 0 || y == 0 || (out.pixel(x, y) & 0xFFFFFF) == 0) out.setPixel(x, y, 0);
  return out;
}

// A button drawn without the colour of its bottom-left pixel.
QImage keyed(const QImage& picture) {
  QImage out = picture.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = out.pixel(0, out.height() - 1);
  for (int y = 0; y < out.height(); ++y)
    for (int x = 0; x < out.width(); ++x)
      if (out.pixel(x, y) == key) out.setPixel(x, y, 0);
  return out;
}

// Reads DIR/NAME.txt and DIR/NAME.bmp and cuts the pack as the player does.
TSkin readSkin(const QString& dir, const QString& name) {
  auto contents = [&](const char* suffix) {
    QFile f(dir + "/" + name + suffix);
    if (!f.open(QIODevice::ReadOnly)) throw ESkinError("cannot open " + f.fileName().toStdString());
    return f.readAll();
  };
  TSkin skin;
  skin.Name = name;
  skin.Layout = ParseSkinLayout(contents(".txt"));
  skin.Pieces = CutSkinPack(contents(".bmp"), skin.Layout);
  return skin;
}

QFont uiFont(int pointSize, bool bold) {
  QFont f;
  f.setFamilies({"MS PGothic", "IPAPGothic", "Noto Sans CJK JP", "sans-serif"});
  f.setPointSize(pointSize);
  f.setBold(bold);
  return f;
}

void drawMain(QPainter& p, const TSkin& skin, QPoint at) {
  p.drawImage(at + skin.Position(1), shaped(skin.Picture(1)));
  for (int i = 2; i <= 10; ++i) {
    const QImage img = skin.Picture(i);
    p.drawImage(at + skin.Position(i), i <= 7 ? keyed(img) : img);
  }
  const QRect label = skin.Layout.Label;
  p.setFont(uiFont(skin.Layout.LabelFontSize, true));
  const QString title = QString::fromUtf8("夜空のメロディー"), artist = QString::fromUtf8("VARO デモ");
  const QRect second = label.translated(1, label.height() + 3);
  p.setPen(Qt::black);
  p.drawText(label.translated(at + QPoint(1, 1)), Qt::AlignHCenter | Qt::AlignTop, title);
  p.drawText(second.translated(at + QPoint(0, 1)), Qt::AlignHCenter | Qt::AlignTop, artist);
  p.setPen(QColor::fromRgb(ColorRefToRgb(skin.Layout.LabelColor)));
  p.drawText(label.translated(at), Qt::AlignHCenter | Qt::AlignTop, title);
  p.drawText(second.translated(at + QPoint(-1, 0)), Qt::AlignHCenter | Qt::AlignTop, artist);
}

void drawLyrics(QPainter& p, const TSkin& skin, QPoint at, const QImage& lyricsBack) {
  p.drawImage(at, shaped(skin.Picture(11)));
  for (int i = 12; i <= 14; ++i) p.drawImage(at + skin.Position(i), skin.Picture(i));
  const QRect box = skin.Layout.PaintBox.translated(at);
  p.drawImage(box.topLeft(), lyricsBack, QRect(QPoint(0, 0), box.size()));
  p.setFont(uiFont(10, false));
  p.setPen(Qt::white);
  const char* lines[] = {"星の降る夜に", "君の名前を呼んだ", "Under the midnight sky", "遠く響くメロディー"};
  int y = box.top() + 30;
  for (const char* line : lines) {
    p.drawText(box.left() + 10, y, QString::fromUtf8(line));
    y += 28;
  }
}

void drawPlaylist(QPainter& p, const TSkin& skin, QPoint at) {
  p.drawImage(at, shaped(skin.Picture(15)));
  for (int i = 16; i <= 19; ++i) p.drawImage(at + skin.Position(i), skin.Picture(i));
  const QRect combo = skin.Layout.Combo.translated(at), grid = skin.Layout.Grid.translated(at);
  p.fillRect(combo, Qt::white);
  p.setPen(QColor(0x80, 0x80, 0x80));
  p.drawRect(combo.adjusted(0, 0, -1, -1));
  p.setFont(uiFont(9, false));
  p.setPen(Qt::black);
  p.drawText(combo.adjusted(6, 0, 0, 0), Qt::AlignVCenter, QString::fromUtf8("再生リスト"));
  p.fillRect(grid, Qt::white);
  const int unit = grid.width() / 20;
  const int cols[] = {unit * 9, unit * 8, unit * 2};
  const char* head[] = {"MP3", "歌詞", "速度"};
  const char* titles[] = {"夜空のメロディー", "Morning Light", "さくら通り", "Blue Harbour"};
  int x = grid.left();
  for (int c = 0; c < 3; ++c) {
    p.fillRect(QRect(x, grid.top(), cols[c], 15), QColor(0x00, 0x80, 0xC0));
    p.setPen(Qt::white);
    p.drawText(QRect(x + 2, grid.top(), cols[c], 15), Qt::AlignVCenter, QString::fromUtf8(head[c]));
    x += cols[c];
  }
  p.setPen(QColor(0, 0, 0x80));
  for (int r = 0; r < 4; ++r) {
    const int y = grid.top() + 15 + r * 12;
    p.drawText(QRect(grid.left() + 2, y, cols[0], 12), Qt::AlignVCenter, QString::fromUtf8(titles[r]));
  }
}

}  // namespace

bool writePreviews(const QString& dataDir, const QString& previewDir, QString* error) {
  QDir().mkpath(previewDir);
  const QImage lyricsBack(dataDir + "/pictures/kasi_back1.bmp");
  const QStringList layouts = QDir(dataDir + "/skins").entryList({"*.txt"}, QDir::Files, QDir::Name);
  for (const QString& file : layouts) {
    const QString name = file.chopped(4);
    TSkin skin;
    try {
      skin = readSkin(dataDir + "/skins", name);
    } catch (const ESkinError& e) {
      *error = name + ": " + QString::fromStdString(e.what());
      return false;
    }
    // A piece that is no bitmap raises ESkinError naming the skin; main reports it.
    const QSize mainSize = skin.Picture(1).size(), listSize = skin.Picture(15).size(),
                lyricsSize = skin.Picture(11).size();
    const int margin = 24;
    QImage canvas(margin * 2 + mainSize.width() + listSize.width(),
                  margin * 2 + std::max(mainSize.height() + lyricsSize.height(), listSize.height()),
                  QImage::Format_ARGB32_Premultiplied);
    QPainter p(&canvas);
    QLinearGradient desk(0, 0, canvas.width(), canvas.height());
    desk.setColorAt(0, QColor(0x6d, 0x83, 0x9e));
    desk.setColorAt(1, QColor(0xb9, 0xa8, 0x9a));
    p.fillRect(canvas.rect(), desk);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QPoint origin(margin, margin);
    drawMain(p, skin, origin);
    drawLyrics(p, skin, origin + QPoint(0, mainSize.height()), lyricsBack);
    drawPlaylist(p, skin, origin + QPoint(mainSize.width(), 0));
    p.end();
    canvas.save(previewDir + "/" + name + ".png");
  }
  QImage strip(5 * 282, 169, QImage::Format_RGB32);
  strip.fill(QColor(0x30, 0x30, 0x30));
  {
    QPainter p(&strip);
    p.setFont(uiFont(10, false));
    p.setPen(Qt::white);
    for (int i = 1; i <= 5; ++i) {
      const QPoint at(6 + (i - 1) * 282, 6);
      p.drawImage(at, QImage(dataDir + QString("/pictures/kasi_back%1.bmp").arg(i)));
      p.drawText(at + QPoint(10, 140), QString::fromUtf8("白い文字の歌詞 Lyrics"));
    }
  }
  strip.save(previewDir + "/lyrics_backgrounds.png");
  QImage icons(16 + 32 + 48 + 64 + 128 + 256 + 70, 256 + 20, QImage::Format_ARGB32_Premultiplied);
  icons.fill(QColor(0xe8, 0xe8, 0xe8));
  {
    QPainter p(&icons);
    int x = 10;
    for (int size : kIconSizes) {
      p.drawImage(x, 10, QImage(dataDir + QString("/pictures/varo-%1.png").arg(size)));
      x += size + 10;
    }
  }
  icons.save(previewDir + "/icons.png");
  return true;
}

}  // namespace skingen
