// Playlist files. ".vrl" is the player's own: four lines per entry (file, title, lyrics file,
// lyrics speed), no header, no end marker; written as UTF-8 with LF line ends, read in any
// of UTF-8, Shift-JIS or Latin-1 with CR LF or LF. ".m3u" and ".m3u8" are lists of paths,
// read only.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct TPlaylistEntry {
  QString FileName;
  QString Title;
  QString LyricsFile;  // empty when none
  QString Speed;       // lyrics speed in steps of 100 ms as decimal text, or empty
  bool operator==(const TPlaylistEntry&) const = default;
};

enum class TPlaylistKind { Other, Vrl, M3u, M3u8 };

// By the exact lower-case extension of the name.
TPlaylistKind PlaylistKindOf(const QString& name);

// Entries up to the first group whose first line is empty, or the end of the text.
QList<TPlaylistEntry> ParseVrl(const QByteArray& bytes);
QByteArray FormatVrl(const QList<TPlaylistEntry>& entries);

// The paths of an ".m3u" (legacy text) or ".m3u8" (UTF-8) list up to its first empty line;
// "#" lines are skipped. Absolute paths and file URLs stay as they are, relative paths are
// resolved against the playlist's folder.
QStringList ParseM3u(const QByteArray& bytes, const QString& playlistDir, TPlaylistKind kind);

// The playlists in a folder by name: the ".vrl" files, then ".m3u", then ".m3u8".
QStringList PlaylistFilesIn(const QString& dir);

// A playlist is named by its bare file name when it lies in the home and by its full path
// when it lies elsewhere, so a list opened from another folder is the one that is read.
QString PlaylistPath(const QString& home, const QString& name);
QString PlaylistName(const QString& home, const QString& path);
