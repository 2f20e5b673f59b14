#include "core/playback/play_queue.h"

#include <algorithm>

EQueueFull::EQueueFull()
    : std::runtime_error(
          QStringLiteral("再生リストに入るのは%1曲までです").arg(TPlayQueue::Capacity).toStdString()) {}

const TQueueEntry& TPlayQueue::Entry(int index) const {
  static const TQueueEntry empty;
  return Used(index) ? FEntries[static_cast<size_t>(index)] : empty;
}

void TPlayQueue::Append(const TQueueEntry& entry) {
  if (IsFull()) throw EQueueFull();
  FEntries[static_cast<size_t>(FCount)] = entry;
  ++FCount;
  FRows = std::max(FRows, FCount);
  Announce({TQueueChange::Inserted, FCount - 1, 1});
}

// Announced even when there was nothing to empty: the views show an empty list then.
void TPlayQueue::Clear() {
  std::fill_n(FEntries.begin(), FCount, TQueueEntry());
  FCount = 0;
  Announce({TQueueChange::Reset});
}

void TPlayQueue::Remove(int index) {
  if (!Used(index)) return;
  std::move(FEntries.begin() + index + 1, FEntries.begin() + FCount, FEntries.begin() + index);
  FEntries[static_cast<size_t>(--FCount)] = TQueueEntry();
  Announce({TQueueChange::Removed, index, 1});
}

void TPlayQueue::Move(int from, int to) {
  if (!Used(from) || !Used(to) || from == to) return;
  const auto at = [this](int i) { return FEntries.begin() + i; };
  if (from < to)
    std::rotate(at(from), at(from + 1), at(to + 1));
  else
    std::rotate(at(to), at(from), at(from + 1));
  Announce({TQueueChange::Moved, from, 1, to});
}

void TPlayQueue::SetLyrics(int index, const QString& lyricsFile, const QString& speed) {
  if (!Used(index)) return;
  FEntries[static_cast<size_t>(index)].LyricsFile = lyricsFile;
  FEntries[static_cast<size_t>(index)].LyricsSpeed = speed;
  Announce({TQueueChange::Changed, index, 1});
}

void TPlayQueue::SetLyricsSpeed(int index, const QString& speed) {
  if (!Used(index)) return;
  FEntries[static_cast<size_t>(index)].LyricsSpeed = speed;
  Announce({TQueueChange::Changed, index, 1});
}

void TPlayQueue::SetRows(int rows) {
  rows = std::clamp(rows, FCount, Capacity);
  if (rows == FRows) return;
  FRows = rows;
  Announce({TQueueChange::Rows});
}

void TPlayQueue::SetCurrentIndex(int index) {
  if (index == FCurrentIndex) return;
  FCurrentIndex = index;
  emit CurrentChanged(index);
}

void TPlayQueue::Announce(const TQueueChange& change) {
  if (FBatches == 0) {
    emit Changed(change);
    return;
  }
  TQueueChange& p = FPendingChange;
  if (!FPending || p.Kind == TQueueChange::Rows) {
    p = change;
  } else if (change.Kind != TQueueChange::Rows) {  // new rows go with whatever else changed
    if (p.Kind == TQueueChange::Inserted && change.Kind == TQueueChange::Inserted &&
        change.First == p.First + p.Count)
      p.Count += change.Count;
    else
      p = {TQueueChange::Reset};
  }
  FPending = true;
}

TPlayQueue::TBatch::~TBatch() {
  if (--FQueue.FBatches > 0 || !FQueue.FPending) return;
  FQueue.FPending = false;
  emit FQueue.Changed(FQueue.FPendingChange);
}
