// Fuzz target: a lyrics load: the lyrics model opens the file (in any of the legacy
// encodings), starts, and is ticked on as the lyrics clock does, in timed or scrolling mode
// as the file's first line decides. With a paint box the lines are drawn (offscreen, no
// display is used); without one only the reading runs, which is where the file's bytes go.
//
// Input: the lyrics file bytes, then a 2-byte control trailer:
//   0  bits 0-2 paint box width / 4, bits 3-5 its height / 4; the lines are drawn only when
//      bits 6-7 are both set (drawing costs many times the reading)
//   1  font size in points, 1 + byte % 64
//
// Nothing may be raised. A timed file ticked far past its last tag has shown or passed over
// every line; the pictures keep the paint box's size.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <exception>

#include "core/lyrics/lyrics_model.h"
#include "core/platform/ui_font.h"
#include "fuzz_input.h"
#include "fuzz_temp_dir.h"

namespace {

constexpr size_t kControlBytes = 2;
constexpr size_t kMaxInput = 4096 + kControlBytes;
constexpr int kScrollTicks = 40;
// Past the largest tag ("[99:59.99]") and the lead.
constexpr auto kFarFuture = std::chrono::hours(2);

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
  const QString path = WriteFuzzFile(QStringLiteral("lyrics.txt"), bytes);
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
    Tkasi kasi(kDefaultKasiBack, fontSize, face);
    kasi.OpenFile(path);
    if (!box.isEmpty()) {
      kasi.CreatePictures(box);
      kasi.DrawBackground(builtIn, QImage());
    }
    const TLyricsClock::time_point start = TLyricsClock::now();
    kasi.Begin(start);
    if (kasi.Timed) {
      kasi.Tick(start + kFarFuture);
      FUZZ_CHECK(kasi.Finished());
    } else {
      for (int i = 0; i < kScrollTicks; ++i) kasi.Tick(start);
    }
    if (!box.isEmpty()) FUZZ_CHECK(kasi.Composite.size() == box && kasi.TextLayer.size() == box);
  } catch (const std::exception& e) {
    FuzzFailure(e.what());
  }
  return 0;
}
