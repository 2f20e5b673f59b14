// Fuzz target: a lyrics load: the lyrics model opens the file (plain or LRC text in any of
// its encodings, or a track whose tags carry the lyrics), starts, and is ticked on as the
// lyrics clock does, in timed or scrolling mode as the text decides. With a paint box the
// lines are drawn (offscreen, no display is used); without one only the reading runs, which
// is where the file's bytes go.
//
// Input: the file bytes, then a 2-byte control trailer:
//   0  bits 0-2 paint box width / 4, bits 3-5 its height / 4; the lines are drawn only when
//      bits 6-7 are both set (drawing costs many times the reading)
//   1  font size in points, 1 + byte % 64; bit 6: the bytes are a track and its lyrics are
//      looked for in its ID3v2 SYLT and USLT frames and its Lyrics3 LYR field; bit 7: the
//      bytes are also read as the body of a SYLT and of a USLT frame
//
// Nothing may be raised. Timed lines are in time order and never before the start; shown far
// past the last one, a timed text has lit it, and seeking back lights an earlier one; the
// pictures keep the paint box's size.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>

#include "core/lyrics/lyrics_model.h"
#include "core/platform/ui_font.h"
#include "fuzz_input.h"
#include "fuzz_temp_dir.h"
#include "stream/tag_lyrics.h"
#include "stream/unicode_text.h"

namespace {

constexpr size_t kControlBytes = 2;
constexpr size_t kMaxInput = 4096 + kControlBytes;
constexpr int kScrollTicks = 40;
// Past the largest time a tag can hold (999999 minutes).
constexpr int64_t kFarFutureMs = INT64_C(1) << 50;

void CheckTimedLines(const TLyricsText& lyrics) {
  int64_t last = 0;
  for (const TTimedLyric& line : lyrics.TimedLines) {
    FUZZ_CHECK(line.Ms >= last);
    FUZZ_CHECK(IsValidUtf8(line.Text));
    last = line.Ms;
  }
  FUZZ_CHECK(lyrics.Timed == !lyrics.TimedLines.empty());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // Drawing text needs the application object; the offscreen platform needs no display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput) return -1;  // not added to the corpus
  KeepCp932ConverterLoaded();
  const TFuzzInput input(data, size, kControlBytes);
  const QByteArray bytes(reinterpret_cast<const char*>(input.Payload()),
                         static_cast<qsizetype>(input.PayloadSize()));
  const bool track = (input.Control(1) & 0x40) != 0;
  const QString path =
      WriteFuzzFile(track ? QStringLiteral("track.mp3") : QStringLiteral("lyrics.txt"), bytes);
  const bool drawn = (input.Control(0) & 0xC0) == 0xC0;
  const QSize box = drawn ? QSize((input.Control(0) & 7) * 4, ((input.Control(0) >> 3) & 7) * 4) : QSize();
  const int fontSize = 1 + input.Control(1) % 64;

  static const QFont face = InterfaceFont();
  static const std::array<QImage, kBuiltInBackgroundCount> builtIn = [] {
    std::array<QImage, kBuiltInBackgroundCount> pictures;
    for (QImage& p : pictures) {
      p = QImage(24, 24, QImage::Format_RGB32);
      p.fill(Qt::darkBlue);
    }
    return pictures;
  }();

  try {
    if ((input.Control(1) & 0x80) != 0) {
      const std::string_view body(bytes.constData(), static_cast<size_t>(bytes.size()));
      if (const auto sylt = ParseSyltFrame(body))
        for (const TSyltLine& line : sylt->Lines) FUZZ_CHECK(IsValidUtf8(line.Text));
      if (const auto uslt = ParseUsltFrame(body)) FUZZ_CHECK(IsValidUtf8(*uslt));
    }
    Tkasi kasi(kDefaultKasiBack, fontSize, face);
    kasi.OpenFile(path, track ? path : QString());
    CheckTimedLines(kasi.Lyrics());
    if (!box.isEmpty()) {
      kasi.CreatePictures(box);
      kasi.DrawBackground(builtIn, QImage());
    }
    kasi.Begin();
    if (kasi.Timed) {
      kasi.ShowAt(kFarFutureMs);
      FUZZ_CHECK(kasi.Finished());
      kasi.ShowAt(kasi.Lyrics().TimedLines.front().Ms - 1);
      FUZZ_CHECK(kasi.CurrentLine() == -1);
      if (!box.isEmpty()) kasi.LineTimeAt(box.height() / 2);
    } else {
      for (int i = 0; i < kScrollTicks; ++i) kasi.ScrollTick();
    }
    if (!box.isEmpty()) FUZZ_CHECK(kasi.Composite.size() == box && kasi.TextLayer.size() == box);
  } catch (const std::exception& e) {
    FuzzFailure(e.what());
  }
  return 0;
}
