// The play queue: a fixed table of 256 entries, the first QueueCount of them in use, the index
// of the current entry, and the rows the playlist shows for it. It is the model the playlist
// grid, the song menu, the media controls and the follow-on track show: every change goes
// out as Changed (what and where) or CurrentChanged.
#pragma once

#include <QObject>
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

// What changed: entries First ... First + Count - 1 (Moved: the entry First went to To).
// Rows: only the number of rows changed (rows past the entries are blank). Every kind may
// come with a new row count.
struct TQueueChange {
  enum TKind { Inserted, Removed, Moved, Changed, Reset, Rows };
  TKind Kind = Reset;
  int First = 0;
  int Count = 0;
  int To = -1;
};

class EQueueFull : public std::runtime_error {
 public:
  EQueueFull();
};

class TPlayQueue : public QObject {
  Q_OBJECT

 public:
  static constexpr int Capacity = 256;

  explicit TPlayQueue(QObject* parent = nullptr) : QObject(parent) {}

  int QueueCount() const { return FCount; }
  bool IsFull() const { return FCount >= Capacity; }
  int CurrentIndex() const { return FCurrentIndex; }
  // The rows the playlist shows: never fewer than the entries. They grow one by one as files
  // are added (also for a file that could not be), and clearing or deleting entries leaves
  // them, blank.
  int Rows() const { return FRows; }

  // Entry i; indexes outside the used entries read as an empty entry.
  const TQueueEntry& Entry(int index) const;

  // The neighbours of CurrentIndex with wrap-around, as next and previous step.
  int NextIndex() const { return FCurrentIndex < FCount - 1 ? FCurrentIndex + 1 : 0; }
  // An index past the queue (a shorter list was loaded since) steps back to the last entry.
  int PreviousIndex() const {
    return (FCurrentIndex <= 0 || FCurrentIndex > FCount ? FCount : FCurrentIndex) - 1;
  }

  // The writes. Raises EQueueFull when all 256 entries are in use.
  void Append(const TQueueEntry& entry);
  void Clear();            // empties every used entry; the rows stay
  void Remove(int index);  // the entries after it move up; the rows stay
  void Move(int from, int to);
  void SetLyrics(int index, const QString& lyricsFile, const QString& speed);
  void SetLyricsSpeed(int index, const QString& speed);
  void SetRows(int rows);  // at least the entries, at most the capacity
  void AddRow() { SetRows(FRows + 1); }
  void SetCurrentIndex(int index);

  // Changes made while a batch is open go out as one when the last batch closes: appends one
  // after another as one Inserted, anything else as Reset.
  class TBatch {
   public:
    explicit TBatch(TPlayQueue& queue) : FQueue(queue) { ++FQueue.FBatches; }
    ~TBatch();
    TBatch(const TBatch&) = delete;
    TBatch& operator=(const TBatch&) = delete;

   private:
    TPlayQueue& FQueue;
  };

 signals:
  void Changed(const TQueueChange& change);
  void CurrentChanged(int index);

 private:
  void Announce(const TQueueChange& change);
  bool Used(int index) const { return index >= 0 && index < FCount; }

  std::array<TQueueEntry, Capacity> FEntries;
  int FCount = 0;
  int FRows = 0;
  int FCurrentIndex = 0;
  int FBatches = 0;
  bool FPending = false;
  TQueueChange FPendingChange;
};
