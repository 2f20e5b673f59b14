#include "ui/widgets/file_drops.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

QStringList LocalFiles(const QMimeData* data) {
  QStringList files;
  if (!data) return files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files.append(url.toLocalFile());
  return files;
}

}  // namespace

void AcceptFileDrag(QDragEnterEvent* event) {
  if (!LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

QStringList TakeFileDrop(QDropEvent* event) {
  event->acceptProposedAction();
  return LocalFiles(event->mimeData());
}
