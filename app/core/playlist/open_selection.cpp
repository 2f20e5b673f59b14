#include "core/playlist/open_selection.h"

#include <QFileInfo>

#include "formats/playlist_files.h"

namespace {

// The extension with its point, from the last point of the file name.
QString ExtensionOf(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  const qsizetype dot = name.lastIndexOf(u'.');
  return dot < 0 ? QString() : name.mid(dot);
}

bool IsMusicFile(const QString& path) {
  return ExtensionOf(path).compare(QLatin1String(".mp3"), Qt::CaseInsensitive) == 0;
}

}  // namespace

TOpenKind OpenKindOf(const QStringList& selection) {
  if (selection.isEmpty()) return TOpenKind::Nothing;
  const QString& first = selection.first();
  if (IsMusicFile(first)) return TOpenKind::Music;
  if (PlaylistKindOf(ExtensionOf(first)) != TPlaylistKind::Other) return TOpenKind::Playlist;
  return TOpenKind::Nothing;
}

QStringList MusicFilesOf(const QStringList& selection) {
  QStringList files;
  for (const QString& path : selection)
    if (IsMusicFile(path)) files.append(path);
  return files;
}

QString QtFileFilter(const QString& classicFilter) {
  const QStringList parts = classicFilter.split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    filters.append(parts[i] + QStringLiteral(" (") + patterns.replace(u';', u' ') + u')');
  }
  return filters.join(QStringLiteral(";;"));
}
