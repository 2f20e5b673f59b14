// Starts either the player (its main window, built as the program builds it before its first
// paint, with a home of the caller's choice) or a bare Qt window of the main window's size,
// and prints, when the window has been painted for the first time, the time since the
// caller's clock reading and the resident memory.
//   varo_startup_probe varo HOME T0_NS | minimal T0_NS | text
// T0_NS: CLOCK_MONOTONIC in nanoseconds, read by the caller just before starting us.
// `text` shows a bare Qt window with a line of Japanese in the interface font and stays until
// ended: the least any Qt window with this program's text keeps resident.
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>
#include <memory>

#include "core/platform/ui_font.h"
#include "ui/dialogs/intro_time_dialog.h"
#include "ui/dialogs/sleep_timer_dialog.h"
#include "ui/dialogs/version_dialog.h"
#include "ui/lyrics/lyrics_window.h"
#include "ui/main_window/main_window.h"
#include "ui/playlist/playlist_window.h"
#include "ui/program/program_entry.h"
#include "ui/program/varo_application.h"

namespace {

long long MonotonicNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

long long StatusKb(const char* field) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith(field))
      return line.mid(static_cast<qsizetype>(strlen(field))).trimmed().split(' ')[0].toLongLong();
  return -1;
}

class TFirstPaint : public QObject {
 public:
  explicit TFirstPaint(long long t0) : FT0(t0) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !FSeen) {
      FSeen = true;
      // Report once this paint has finished.
      QTimer::singleShot(0, [this] {
        std::printf("first_paint_ms %.2f rss_kb %lld hwm_kb %lld\n", (MonotonicNs() - FT0) / 1e6,
                    StatusKb("VmRSS:"), StatusKb("VmHWM:"));
        std::fflush(stdout);
        QCoreApplication::exit(0);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  long long FT0;
  bool FSeen = false;
};

}  // namespace

int main(int argc, char** argv) {
  const bool varo = argc == 4 && QByteArray(argv[1]) == "varo";
  if (argc == 2 && QByteArray(argv[1]) == "text") {
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("再生中: 夜明けの歌 — ヴァロ"), nullptr, Qt::FramelessWindowHint);
    window.setFont(InterfaceFont());
    window.resize(TForm1::kClientWidth, TForm1::kClientHeight);
    window.show();
    return QApplication::exec();
  }
  if (!varo && !(argc == 3 && QByteArray(argv[1]) == "minimal")) {
    std::fprintf(stderr, "usage: %s varo HOME T0_NS | minimal T0_NS | text\n", argv[0]);
    return 2;
  }
  const long long t0 = QByteArray(argv[argc - 1]).toLongLong();
  TFirstPaint probe(t0);
  if (!varo) {
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.resize(TForm1::kClientWidth, TForm1::kClientHeight);
    window.installEventFilter(&probe);
    window.show();
    return QApplication::exec();
  }
  PrepareApplicationStart();
  TVaroApplication app(argc, argv);
  TApplicationWindows windows = CreateMainWindow(QString::fromLocal8Bit(argv[2]), true);
  if (!windows.Form1) return 1;
  windows.Form1->installEventFilter(&probe);
  windows.Form1->show();
  return QApplication::exec();
}
