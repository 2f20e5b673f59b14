// A small window that starts a real drag of the files named on its command line as soon as
// a mouse button is pressed on it, the way a file manager does. The test moves the pointer
// with the button held to the drop target and releases it there.
//   gui_drag_source FILE...
// Prints "drop: accepted" or "drop: refused" when the drag ends, and exits a few seconds
// later (0 when accepted, 1 otherwise): the target fetches the files' names from the source
// after the drop, so the source must still be there to hand them over.
#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

constexpr int kLingerMs = 4000;

class TDragSource : public QWidget {
 public:
  explicit TDragSource(QList<QUrl> urls) : FUrls(std::move(urls)) {
    setWindowTitle(QStringLiteral("varo-drag-source"));
    resize(160, 80);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(40, 90, 160));
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("drag %1 file(s)").arg(FUrls.size()));
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton || FStarted) return;
    FStarted = true;
    auto* files = new QMimeData;
    files->setUrls(FUrls);
    auto* drag = new QDrag(this);
    drag->setMimeData(files);
    const Qt::DropAction result = drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
    const bool accepted = result != Qt::IgnoreAction;
    std::printf("drop: %s\n", accepted ? "accepted" : "refused");
    std::fflush(stdout);
    QTimer::singleShot(kLingerMs, [accepted] { QCoreApplication::exit(accepted ? 0 : 1); });
  }

 private:
  QList<QUrl> FUrls;
  bool FStarted = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QList<QUrl> urls;
  for (const QString& file : QCoreApplication::arguments().mid(1))
    urls.append(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
  if (urls.isEmpty()) {
    std::fprintf(stderr, "usage: gui_drag_source FILE...\n");
    return 2;
  }
  TDragSource source(urls);
  source.show();
  return QApplication::exec();
}
