#include "core/playback/play_queue.h"

#include <algorithm>

EQueueFull::EQueueFull()
    : std::runtime_error(
          QStringLiteral("再生リストに入るのは%1曲までです").arg(TPlayQueue::Capacity).toStdString()) {}

const TQueueEntry& TPlayQueue::Entry(int index) const {
  static const TQueueEntry empty;
  return index >= 0 && index < FCount ? FEntries[static_cast<size_t>(index)] : empty;
}

void TPlayQueue::Append(const QString& fileName, const QString& title) {
  if (IsFull()) throw EQueueFull();
  TQueueEntry& e = FEntries[static_cast<size_t>(FCount)];
  e.FileName = fileName;
  e.Title = title;
  ++FCount;
}

void TPlayQueue::Clear() {
  for (int i = 0; i < FCount; ++i) FEntries[static_cast<size_t>(i)] = TQueueEntry();
  FCount = 0;
}

void TPlayQueue::SetQueueCount(int count) { FCount = std::clamp(count, 0, Capacity); }
