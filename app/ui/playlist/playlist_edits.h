// What the playlist window does to the queue, and the grid as a view of it: clearing, filling
// from a playlist, adding music files, moving and deleting rows, attaching a lyrics file, and
// the entries a save writes. The queue is the model (an entry carries its title, lyrics file
// and lyrics speed); grid row r shows queue entry r - 1, and rows past the queue are blank.
// The grid's row count is its own: a fill or an add grows it by one row per file tried.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

#include "formats/playlist_files.h"

class TPlayQueue;
class TPlaylistGrid;

// The title of a music file from its tags; raises the tag reader's error.
using TTitleReader = std::function<QString(const QString& fileName)>;

// Grid row `row` shows entry row - 1 (blank past the queue; rows outside the grid are left).
void ShowRow(TPlaylistGrid& grid, const TPlayQueue& queue, int row);
// Every row of the grid shows its entry; the grid keeps its row count.
void ShowQueue(TPlaylistGrid& grid, const TPlayQueue& queue);

// Empties every used entry and its grid row; the grid keeps its row count.
void ClearQueue(TPlaylistGrid& grid, TPlayQueue& queue);

// How a fill or an add ended.
struct TFillResult {
  int Added = 0;
  bool QueueFull = false;  // entries were left out: the queue holds 256
};

// The grid is cut to its header, then one row per entry. Stops when the queue is full.
TFillResult FillFromVrl(TPlaylistGrid& grid, TPlayQueue& queue, const QList<TPlaylistEntry>& entries);
// One row per path with the title from its tags. A file whose tags cannot be read raises
// the reader's error; what was loaded before it stays (its own row stays empty).
TFillResult FillFromPaths(TPlaylistGrid& grid, TPlayQueue& queue, const QStringList& paths,
                          const TTitleReader& readTitle);

// The open command's music files: each gets a row; a file whose tags cannot be read is
// skipped silently and leaves its row empty.
TFillResult AddMusicFiles(TPlaylistGrid& grid, TPlayQueue& queue, const QStringList& files,
                          const TTitleReader& readTitle);

// Selected row r. Moving the last entry down or the first up, or a row without an entry,
// changes nothing. None of them changes the current index.
bool MoveRowDown(TPlaylistGrid& grid, TPlayQueue& queue, int row);
bool MoveRowUp(TPlaylistGrid& grid, TPlayQueue& queue, int row);
bool DeleteRow(TPlaylistGrid& grid, TPlayQueue& queue, int row);

// The lyrics file of entry row - 1, with the speed 5. Rows without an entry are left alone.
bool SetRowLyrics(TPlaylistGrid& grid, TPlayQueue& queue, int row, const QString& lyricsFile);

inline const QString kDefaultLyricsSpeed = QStringLiteral("5");

// The groups a save writes: every entry with a title (a row whose title cell is not empty),
// in queue order.
QList<TPlaylistEntry> EntriesToSave(const TPlayQueue& queue);
