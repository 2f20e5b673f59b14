#include "ui/playlist/playlist_edits.h"

#include <utility>

#include "core/playback/play_queue.h"
#include "ui/playlist/playlist_grid.h"

namespace {

// Entry index of a row that shows a used entry; -1 otherwise.
int UsedEntry(const TPlayQueue& queue, int row) {
  return row >= 1 && row <= queue.QueueCount() ? row - 1 : -1;
}

void SwapEntries(TPlayQueue& queue, int a, int b) { std::swap(queue.Slot(a), queue.Slot(b)); }

}  // namespace

void ClearQueue(TPlaylistGrid& grid, TPlayQueue& queue) {
  for (int i = 0; i < queue.QueueCount(); ++i) grid.ClearRow(i + 1);
  queue.Clear();
}

TFillResult FillFromVrl(TPlaylistGrid& grid, TPlayQueue& queue, const QList<TPlaylistEntry>& entries) {
  grid.SetRowCount(1);
  TFillResult result;
  for (const TPlaylistEntry& e : entries) {
    if (queue.IsFull()) {
      result.QueueFull = true;
      break;
    }
    grid.AddRow();
    queue.Append(e.FileName, e.Title);
    const int row = queue.QueueCount();
    queue.Slot(row - 1).LyricsFile = e.LyricsFile;
    grid.SetCell(kTitleColumn, row, e.Title);
    grid.SetCell(kLyricsColumn, row, e.LyricsFile);
    grid.SetCell(kSpeedColumn, row, e.Speed);
    ++result.Added;
  }
  return result;
}

TFillResult FillFromPaths(TPlaylistGrid& grid, TPlayQueue& queue, const QStringList& paths,
                          const TTitleReader& readTitle) {
  grid.SetRowCount(1);
  TFillResult result;
  for (const QString& path : paths) {
    if (queue.IsFull()) {
      result.QueueFull = true;
      break;
    }
    grid.AddRow();
    const QString title = readTitle(path);
    queue.Append(path, title);
    queue.Slot(queue.QueueCount() - 1).LyricsFile.clear();
    grid.SetCell(kTitleColumn, queue.QueueCount(), title);
    ++result.Added;
  }
  return result;
}

TFillResult AddMusicFiles(TPlaylistGrid& grid, TPlayQueue& queue, const QStringList& files,
                          const TTitleReader& readTitle) {
  TFillResult result;
  for (const QString& path : files) {
    if (queue.IsFull()) {
      result.QueueFull = true;
      break;
    }
    grid.AddRow();
    QString title;
    try {
      title = readTitle(path);
    } catch (const std::exception&) {
      continue;  // not MPEG audio or unreadable: left out, its row stays empty
    }
    queue.Append(path, title);
    grid.EnsureRow(queue.QueueCount());
    grid.SetCell(kTitleColumn, queue.QueueCount(), title);
    ++result.Added;
  }
  return result;
}

bool MoveRowDown(TPlaylistGrid& grid, TPlayQueue& queue, int row) {
  if (UsedEntry(queue, row) < 0 || row >= queue.QueueCount()) return false;
  grid.SwapRows(row, row + 1);
  SwapEntries(queue, row - 1, row);
  return true;
}

bool MoveRowUp(TPlaylistGrid& grid, TPlayQueue& queue, int row) {
  if (UsedEntry(queue, row) < 0 || row == 1) return false;
  grid.SwapRows(row - 1, row);
  SwapEntries(queue, row - 2, row - 1);
  return true;
}

bool DeleteRow(TPlaylistGrid& grid, TPlayQueue& queue, int row) {
  if (UsedEntry(queue, row) < 0) return false;
  const int count = queue.QueueCount();
  for (int k = row; k < count; ++k) {
    for (int c = kTitleColumn; c <= kSpeedColumn; ++c) grid.SetCell(c, k, grid.Cell(c, k + 1));
    queue.Slot(k - 1) = queue.Slot(k);
  }
  // The last used row and entry become blank; the grid keeps its row count.
  grid.ClearRow(count);
  queue.Slot(count - 1) = TQueueEntry();
  queue.SetQueueCount(count - 1);
  return true;
}

bool SetRowLyrics(TPlaylistGrid& grid, TPlayQueue& queue, int row, const QString& lyricsFile) {
  const int entry = UsedEntry(queue, row);
  if (entry < 0) return false;
  grid.SetCell(kLyricsColumn, row, lyricsFile);
  grid.SetCell(kSpeedColumn, row, kDefaultLyricsSpeed);
  queue.Slot(entry).LyricsFile = lyricsFile;
  return true;
}

QList<TPlaylistEntry> EntriesToSave(const TPlaylistGrid& grid, const TPlayQueue& queue) {
  QList<TPlaylistEntry> entries;
  for (int r = 1; r < grid.RowCount(); ++r) {
    const QString title = grid.Cell(kTitleColumn, r);
    if (title.isEmpty()) continue;
    entries.append({queue.Entry(r - 1).FileName, title, grid.Cell(kLyricsColumn, r),
                    grid.Cell(kSpeedColumn, r)});
  }
  return entries;
}
