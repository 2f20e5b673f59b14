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

void ShowRow(TPlaylistGrid& grid, const TPlayQueue& queue, int row) {
  const TQueueEntry& entry = queue.Entry(row - 1);
  grid.SetCell(kTitleColumn, row, entry.Title);
  grid.SetCell(kLyricsColumn, row, entry.LyricsFile);
  grid.SetCell(kSpeedColumn, row, entry.LyricsSpeed);
}

void ShowQueue(TPlaylistGrid& grid, const TPlayQueue& queue) {
  for (int r = 1; r < grid.RowCount(); ++r) ShowRow(grid, queue, r);
}

void ClearQueue(TPlaylistGrid& grid, TPlayQueue& queue) {
  queue.Clear();
  ShowQueue(grid, queue);
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
    TQueueEntry& entry = queue.Slot(queue.QueueCount() - 1);
    entry.LyricsFile = e.LyricsFile;
    entry.LyricsSpeed = e.Speed;
    ShowRow(grid, queue, queue.QueueCount());
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
    TQueueEntry& entry = queue.Slot(queue.QueueCount() - 1);
    entry.LyricsFile.clear();
    entry.LyricsSpeed.clear();
    ShowRow(grid, queue, queue.QueueCount());
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
    ShowRow(grid, queue, queue.QueueCount());
    ++result.Added;
  }
  return result;
}

bool MoveRowDown(TPlaylistGrid& grid, TPlayQueue& queue, int row) {
  if (UsedEntry(queue, row) < 0 || row >= queue.QueueCount()) return false;
  SwapEntries(queue, row - 1, row);
  ShowRow(grid, queue, row);
  ShowRow(grid, queue, row + 1);
  return true;
}

bool MoveRowUp(TPlaylistGrid& grid, TPlayQueue& queue, int row) {
  if (UsedEntry(queue, row) < 0 || row == 1) return false;
  SwapEntries(queue, row - 2, row - 1);
  ShowRow(grid, queue, row - 1);
  ShowRow(grid, queue, row);
  return true;
}

bool DeleteRow(TPlaylistGrid& grid, TPlayQueue& queue, int row) {
  if (UsedEntry(queue, row) < 0) return false;
  const int count = queue.QueueCount();
  for (int k = row; k < count; ++k) queue.Slot(k - 1) = queue.Slot(k);
  // The last used entry and its row become blank; the grid keeps its row count.
  queue.Slot(count - 1) = TQueueEntry();
  queue.SetQueueCount(count - 1);
  for (int r = row; r <= count; ++r) ShowRow(grid, queue, r);
  return true;
}

bool SetRowLyrics(TPlaylistGrid& grid, TPlayQueue& queue, int row, const QString& lyricsFile) {
  const int entry = UsedEntry(queue, row);
  if (entry < 0) return false;
  queue.Slot(entry).LyricsFile = lyricsFile;
  queue.Slot(entry).LyricsSpeed = kDefaultLyricsSpeed;
  ShowRow(grid, queue, row);
  return true;
}

QList<TPlaylistEntry> EntriesToSave(const TPlayQueue& queue) {
  QList<TPlaylistEntry> entries;
  for (int i = 0; i < queue.QueueCount(); ++i) {
    const TQueueEntry& e = queue.Entry(i);
    if (!e.Title.isEmpty()) entries.append({e.FileName, e.Title, e.LyricsFile, e.LyricsSpeed});
  }
  return entries;
}
