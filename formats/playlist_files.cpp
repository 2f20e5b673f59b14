#include "formats/playlist_files.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "formats/text_lines.h"

TPlaylistKind PlaylistKindOf(const QString& name) {
  if (name.endsWith(QLatin1String(".vrl"))) return TPlaylistKind::Vrl;
  if (name.endsWith(QLatin1String(".m3u"))) return TPlaylistKind::M3u;
  if (name.endsWith(QLatin1String(".m3u8"))) return TPlaylistKind::M3u8;
  return TPlaylistKind::Other;
}

QList<TPlaylistEntry> ParseVrl(const QByteArray& bytes) {
  TLineReader reader(SplitTextLines(DecodeLegacyText(bytes)));
  QList<TPlaylistEntry> entries;
  for (QString line = reader.ReadLine(); !line.isEmpty(); line = reader.ReadLine()) {
    TPlaylistEntry e;
    e.FileName = line;
    e.Title = reader.ReadLine();
    e.LyricsFile = reader.ReadLine();
    e.Speed = reader.ReadLine();
    entries.append(e);
  }
  return entries;
}

QByteArray FormatVrl(const QList<TPlaylistEntry>& entries) {
  QString text;
  for (const TPlaylistEntry& e : entries) {
    for (const QString* line : {&e.FileName, &e.Title, &e.LyricsFile, &e.Speed}) {
      // One line per field: a line break inside one (a tag title can hold one) would shift
      // every field after it on reading.
      QString field = *line;
      text += field.replace(u'\r', u' ').replace(u'\n', u' ');
      text += u'\n';
    }
  }
  return text.toUtf8();
}

QStringList ParseM3u(const QByteArray& bytes, const QString& playlistDir, TPlaylistKind kind) {
  const QString text = kind == TPlaylistKind::M3u8 ? DecodeUtf8Text(bytes) : DecodeLegacyText(bytes);
  const QDir dir(playlistDir);
  QStringList paths;
  for (const QString& line : SplitTextLines(text)) {
    if (line.isEmpty()) break;
    if (line.startsWith(u'#')) continue;
    if (line.startsWith(QLatin1String("file:"))) {
      // "file:a.mp3" is a relative URL: its file lies beside the list, as with a bare path.
      const QString local = QUrl(line).toLocalFile();
      paths.append(local.isEmpty() || QDir::isAbsolutePath(local)
                       ? local
                       : QDir::cleanPath(dir.absoluteFilePath(local)));
      continue;
    }
    paths.append(QDir::isAbsolutePath(line) ? line : QDir::cleanPath(dir.absoluteFilePath(line)));
  }
  return paths;
}

QStringList PlaylistFilesIn(const QString& dir) {
  const QDir folder(dir);
  QStringList names;
  for (const char* pattern : {"*.vrl", "*.m3u", "*.m3u8"}) {
    // Exact lower-case extensions: only these load as playlists.
    names += folder.entryList({QString::fromLatin1(pattern)}, QDir::Files | QDir::CaseSensitive,
                              QDir::Name | QDir::IgnoreCase);
  }
  return names;
}

QString PlaylistPath(const QString& home, const QString& name) {
  return QDir::isAbsolutePath(name) ? name : home + u'/' + name;
}

QString PlaylistName(const QString& home, const QString& path) {
  const QFileInfo file(path);
  if (file.absoluteDir() == QDir(home)) return file.fileName();
  return file.absoluteFilePath();
}
