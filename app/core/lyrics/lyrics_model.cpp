#include "core/lyrics/lyrics_model.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstring>

#include "core/platform/ui_font.h"
#include "core/settings/file_errors.h"

namespace {

// Two ASCII digits at s[at], or -1.
int DigitPair(const QString& s, qsizetype at) {
  const auto digit = [&s](qsizetype i) {
    const char16_t c = s[i].unicode();
    return c >= u'0' && c <= u'9' ? c - u'0' : -1;
  };
  const int a = digit(at);
  const int b = digit(at + 1);
  return a < 0 || b < 0 ? -1 : a * 10 + b;
}

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
constexpr int kTagLength = 10;  // "[mm:ss.xx]"

}  // namespace

std::optional<int> TimedLineSeconds(const QString& line) {
  if (line.size() < 6 || line[0] != u'[' || line[3] != u':') return std::nullopt;
  const int minutes = DigitPair(line, 1);
  const int seconds = DigitPair(line, 4);
  if (minutes < 0 || seconds < 0) return std::nullopt;
  return minutes * 60 + seconds;
}

Tkasi::Tkasi(int backKind, int fontSize, const QFont& face)
    : BackKind(backKind), FontSize(fontSize), FFace(face) {}

void Tkasi::OpenFile(const QString& fileName) {
  try {
    FLines = TLineReader(SplitTextLines(DecodeLegacyText(ReadWholeFile(fileName))));
  } catch (const std::exception&) {
    FLines = TLineReader();
  }
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

void Tkasi::Begin(TLyricsClock::time_point now) {
  PendingLine = ReadLine();
  PendingText = PendingLine.mid(kTagLength);
  Timed = PendingLine.startsWith(u'[');
  if (!Timed) DrawLine(PendingLine);
  StartTime = now;
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

void Tkasi::AdvancePending() {
  PendingLine = ReadLine();
  if (PendingLine.isEmpty()) PendingLine = ReadLine();
  PendingText = PendingLine.mid(kTagLength);
}

void Tkasi::TimedTick(TLyricsClock::time_point now) {
  if (FInTick) return;
  const TTickGuard guard(FInTick);
  const auto ahead = now + kTimedLead - StartTime;
  while (!PendingLine.isEmpty()) {
    const std::optional<int> due = TimedLineSeconds(PendingLine);
    if (!due) {  // no time of its own (a "[ti:...]" heading line, say): never shown
      AdvancePending();
      continue;
    }
    if (ahead < std::chrono::seconds(*due)) break;
    // The next line is taken before the scroll lets other events run.
    const QString text = PendingText;
    AdvancePending();
    DrawLine(text);
    Scroll(FontSize + 5);
  }
}
