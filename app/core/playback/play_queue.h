// The play queue: a fixed table of 256 entries, the first QueueCount of them in use, and the
// index of the current entry.
#pragma once

#include <QString>

#include <array>
#include <stdexcept>

struct TQueueEntry {
  QString FileName;    // full path of the MPEG audio file
  QString LyricsFile;  // full path of the lyrics file, or empty
  QString Title;       // display title
  // The lyrics speed as the playlist's speed column shows it and a .vrl stores it (steps of
  // 100 ms: "5" runs the lyrics clock at 500 ms), or empty for the clock's current interval.
  QString LyricsSpeed;
};

class EQueueFull : public std::runtime_error {
 public:
  EQueueFull();
};

class TPlayQueue {
 public:
  static constexpr int Capacity = 256;

  int QueueCount() const { return FCount; }
  bool IsFull() const { return FCount >= Capacity; }

  int CurrentIndex = 0;

  // Entry i; indexes outside the used entries read as an empty entry.
  const TQueueEntry& Entry(int index) const;
  // Writable slot 0 ... Capacity - 1 (the playlist window edits rows in place).
  TQueueEntry& Slot(int index) { return FEntries.at(static_cast<size_t>(index)); }

  // Fills slot QueueCount with path and title (its lyrics file and speed stay as the slot
  // held them).
  // Raises EQueueFull when all 256 entries are in use.
  void Append(const QString& fileName, const QString& title);
  void Clear();                   // empties every used entry
  void SetQueueCount(int count);  // clamped to 0 ... Capacity

  // The neighbours of CurrentIndex with wrap-around, as next and previous step.
  int NextIndex() const { return CurrentIndex < FCount - 1 ? CurrentIndex + 1 : 0; }
  // An index past the queue (a shorter list was loaded since) steps back to the last entry.
  int PreviousIndex() const {
    return (CurrentIndex <= 0 || CurrentIndex > FCount ? FCount : CurrentIndex) - 1;
  }

 private:
  std::array<TQueueEntry, Capacity> FEntries;
  int FCount = 0;
};
