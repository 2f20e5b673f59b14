#include "core/lyrics/lyrics_model.h"

#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstring>

#include "core/platform/ui_font.h"
#include "lyrics/track_lyrics.h"

namespace {

// Marks a tick as running for as long as it lasts, also when it ends by an error.
class TTickGuard {
 public:
  explicit TTickGuard(bool& flag) : FFlag(flag) { FFlag = true; }
  ~TTickGuard() { FFlag = false; }
  TTickGuard(const TTickGuard&) = delete;
  TTickGuard& operator=(const TTickGuard&) = delete;

 private:
  bool& FFlag;
};

constexpr int kTextLeft = 10;
constexpr int kPastAlpha = 120;    // lines already sung
constexpr int kComingAlpha = 200;  // lines still to come: the lit one stands out from both

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

}  // namespace

Tkasi::Tkasi(int backKind, int fontSize, const QFont& face)
    : BackKind(backKind), FontSize(fontSize), FFace(face) {}

void Tkasi::OpenFile(const QString& fileName, const QString& track) {
  const std::string file = QFile::encodeName(fileName).toStdString();
  Load(track.isEmpty() ? ReadLyricsFile(file)
                       : FindTrackLyrics(QFile::encodeName(track).toStdString(), file).Text);
}

void Tkasi::Load(const TLyricsText& lyrics) {
  FLyrics = lyrics;
  QStringList lines;
  for (const std::string& line : FLyrics.PlainLines) lines.append(FromUtf8(line));
  FLines = TLineReader(lines);
  FTimedTexts.clear();
  for (const TTimedLyric& line : FLyrics.TimedLines) FTimedTexts.push_back(FromUtf8(line.Text));
  Timed = FLyrics.Timed;
  FCurrent = -1;
}

void Tkasi::CreatePictures(QSize size) {
  for (QImage* picture : {&Composite, &Background, &TextLayer}) {
    *picture = QImage(size, QImage::Format_RGB32);
    picture->fill(Qt::black);
  }
}

void Tkasi::DrawBackground(const std::array<QImage, kBuiltInBackgroundCount>& builtIn, const QImage& user) {
  if (Background.isNull()) return;
  const QRect d(QPoint(0, 0), Background.size());
  QPainter painter(&Background);
  if (BackKind >= 1 && BackKind <= kBuiltInBackgroundCount) {
    painter.fillRect(d, Qt::black);  // a paint box larger than the picture shows black there
    painter.drawImage(QPoint(0, 0), builtIn[static_cast<size_t>(BackKind - 1)], d);
  } else if (BackKind == kKasiBackUser) {
    if (!user.isNull()) painter.drawImage(d, user);
  } else if (BackKind == kKasiBackNone) {
    painter.fillRect(d, Qt::black);
  }
}

QFont Tkasi::TextFont() const {
  QFont font = FFace;
  font.setPixelSize(std::max(PointsToSkinPixels(FontSize), 1));
  return font;
}

void Tkasi::DrawLine(const QString& text) {
  if (TextLayer.isNull()) return;
  {
    QPainter painter(&TextLayer);
    const QFont font = TextFont();
    painter.setFont(font);
    painter.setPen(Qt::white);
    // The line's box starts font size + 5 pixels above the bottom; its glyphs end where a
    // box of the font's pixel height ends, whatever the face's own line height.
    const int top = TextLayer.height() - FontSize - 5;
    const int baseline = top + font.pixelSize() - QFontMetrics(font).descent();
    painter.drawText(kTextLeft, baseline, text);
  }
  Refresh();
}

void Tkasi::Refresh() {
  if (Background.isNull()) return;
  if (Timed) {
    RenderTimed();
    return;
  }
  Composite = Background.copy();
  QPainter painter(&Composite);
  painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
  painter.drawImage(QPoint(0, 0), TextLayer);
}

void Tkasi::ShiftTextUp() {
  const int h = TextLayer.height();
  if (h < 2) return;
  const qsizetype row = TextLayer.bytesPerLine();
  uchar* bits = TextLayer.bits();
  std::memmove(bits, bits + row, static_cast<size_t>(row * (h - 1)));
  // The freed bottom row is cleared: a glyph reaching it would otherwise be drawn out into
  // a streak by every further pixel of scrolling.
  std::memset(bits + row * (h - 1), 0, static_cast<size_t>(row));
}

void Tkasi::Scroll(int pixels) {
  for (int i = 0; i < pixels; ++i) {
    ShiftTextUp();
    Refresh();
    if (FPixelStep) FPixelStep();
  }
}

void Tkasi::Begin() {
  if (Timed) {
    Refresh();
    ShowAt(0);
    return;
  }
  DrawLine(ReadLine());
}

void Tkasi::ScrollTick() {
  if (FInTick) return;
  const TTickGuard guard(FInTick);
  if (++FTicks > FontSize + 2) {
    DrawLine(ReadLine());
    FTicks = 0;
  }
  Scroll(1);
}

bool Tkasi::ShowAt(int64_t ms) {
  if (!Timed) return false;
  const int line = CurrentLyricsLine(FLyrics.TimedLines, ms);
  const auto next = static_cast<size_t>(line + 1);
  PendingText = next < FTimedTexts.size() ? FTimedTexts[next] : QString();
  if (line == FCurrent) return false;
  FCurrent = line;
  Refresh();
  return true;
}

// The lit line sits a little below the middle, so more of what was sung stays in sight
// than of what is to come; before the first line the first one waits there.
int Tkasi::CurrentRowTop() const { return Composite.height() * 3 / 5 - LineHeight() / 2; }

std::optional<int64_t> Tkasi::NextLineMs() const {
  const auto next = static_cast<size_t>(FCurrent + 1);
  if (!Timed || next >= FLyrics.TimedLines.size()) return std::nullopt;
  return FLyrics.TimedLines[next].Ms;
}

std::optional<int64_t> Tkasi::LineTimeAt(int y) const {
  if (!Timed) return std::nullopt;
  const int offset = y - CurrentRowTop();
  const int row =
      std::max(FCurrent, 0) + (offset < 0 ? (offset + 1) / LineHeight() - 1 : offset / LineHeight());
  if (row < 0 || row >= static_cast<int>(FLyrics.TimedLines.size())) return std::nullopt;
  return FLyrics.TimedLines[static_cast<size_t>(row)].Ms;
}

// Lines are drawn with a dark edge, so they read on every background (a user's picture may
// be light anywhere): the lit one bold, white and outlined, the ones to come white with a
// shadow, the ones sung faded.
void Tkasi::RenderTimed() {
  Composite = Background.copy();
  if (FTimedTexts.empty()) return;
  QPainter painter(&Composite);
  painter.setRenderHint(QPainter::Antialiasing);
  const QFont plain = TextFont();
  QFont bold = plain;
  bold.setBold(true);
  const int anchor = std::max(FCurrent, 0);
  const int count = static_cast<int>(FTimedTexts.size());
  const int first = std::max(0, anchor - CurrentRowTop() / LineHeight() - 1);
  for (int i = first; i < count; ++i) {
    const int top = CurrentRowTop() + (i - anchor) * LineHeight();
    if (top >= Composite.height()) break;
    const QString& text = FTimedTexts[static_cast<size_t>(i)];
    if (text.isEmpty()) continue;
    const QFont& font = i == FCurrent ? bold : plain;
    const int baseline = top + font.pixelSize() - QFontMetrics(font).descent();
    if (i == FCurrent) {
      QPainterPath path;
      path.addText(kTextLeft, baseline, font, text);
      painter.strokePath(path, QPen(QColor(0, 0, 0, 220), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      painter.fillPath(path, Qt::white);
      continue;
    }
    const int alpha = i < FCurrent ? kPastAlpha : kComingAlpha;
    painter.setFont(font);
    painter.setPen(QColor(0, 0, 0, alpha));
    painter.drawText(kTextLeft + 1, baseline + 1, text);
    painter.setPen(QColor(255, 255, 255, alpha));
    painter.drawText(kTextLeft, baseline, text);
  }
}
