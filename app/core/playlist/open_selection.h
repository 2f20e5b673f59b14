// What the playlist window's open command does with the files chosen in its dialog, and the
// dialog filters written the classic way ("caption|pattern;pattern") turned into Qt's.
#pragma once

#include <QString>
#include <QStringList>

enum class TOpenKind { Music, Playlist, Nothing };

// Decided by the extension of the first file of the selection: ".mp3" in any case adds music
// files, ".vrl", ".m3u" or ".m3u8" (lower case, as loading requires) loads a playlist.
TOpenKind OpenKindOf(const QStringList& selection);

// The files of the selection whose extension is ".mp3" in any case, in the dialog's order.
QStringList MusicFilesOf(const QStringList& selection);

// "caption|*.a;*.b" gives "caption (*.a *.b)"; several pairs give several filters.
QString QtFileFilter(const QString& classicFilter);
