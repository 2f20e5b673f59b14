// Fuzz target: a playlist load as the session's playlist does it, without the tag reader:
// the list's path from its name, the file read, parsed as its extension says, and its
// entries put into the play queue, which held another list before.
//
// Input: the file bytes, then one control byte: bits 0-1 the extension (.vrl, .m3u, .m3u8,
// or .txt, which loads nothing), bit 2 the list named by its full path instead of its bare
// name, bits 3-7 entries the queue held before, times 8.
//
// Loading never raises. A .vrl list saved again reads back as loaded (every entry has a
// file; no field shifts into another); an .m3u list gives one absolute path per line up to
// the first empty one, comments left out. The queue holds the list's first 256 entries, each
// as the list gives it, and nothing of the list before.
#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>

#include "core/playback/play_queue.h"
#include "core/playlist/playlist_files.h"
#include "core/settings/file_errors.h"
#include "core/settings/text_lines.h"
#include "fuzz_input.h"
#include "fuzz_temp_dir.h"

namespace {

constexpr size_t kControlBytes = 1;
constexpr size_t kMaxInput = 8192 + kControlBytes;
constexpr const char* kExtensions[4] = {".vrl", ".m3u", ".m3u8", ".txt"};
constexpr TPlaylistKind kKinds[4] = {TPlaylistKind::Vrl, TPlaylistKind::M3u, TPlaylistKind::M3u8,
                                     TPlaylistKind::Other};

// The playlist's fill: the queue emptied, then one entry per list entry while there is room.
int Fill(TPlayQueue& queue, const QList<TPlaylistEntry>& entries) {
  queue.Clear();
  for (const TPlaylistEntry& e : entries) {
    if (queue.IsFull()) break;
    queue.Append({e.FileName, e.LyricsFile, e.Title, e.Speed});
  }
  return queue.QueueCount();
}

// Lines an .m3u list gives paths for: up to the first empty one, comments left out.
qsizetype PathLines(const QString& text) {
  qsizetype n = 0;
  for (const QString& line : SplitTextLines(text)) {
    if (line.isEmpty()) break;
    if (!line.startsWith(u'#')) ++n;
  }
  return n;
}

void CheckQueue(const TPlayQueue& queue, const QList<TPlaylistEntry>& entries) {
  FUZZ_CHECK(queue.QueueCount() == std::min<qsizetype>(entries.size(), TPlayQueue::Capacity));
  for (int i = 0; i < TPlayQueue::Capacity; ++i) {
    const TQueueEntry& q = queue.Entry(i);
    if (i >= queue.QueueCount()) {
      FUZZ_CHECK(q.FileName.isEmpty() && q.Title.isEmpty() && q.LyricsFile.isEmpty());
      continue;
    }
    const TPlaylistEntry& e = entries[i];
    FUZZ_CHECK(q.FileName == e.FileName && q.Title == e.Title && q.LyricsFile == e.LyricsFile);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput) return -1;  // not added to the corpus
  KeepCp932ConverterLoaded();
  const TFuzzInput input(data, size, kControlBytes);
  const uint8_t control = input.Control(0);
  const QByteArray bytes(reinterpret_cast<const char*>(input.Payload()),
                         static_cast<qsizetype>(input.PayloadSize()));
  const QString& home = FuzzTempDir();
  const QString fileName = QStringLiteral("list") + QLatin1String(kExtensions[control & 3]);
  const QString written = WriteFuzzFile(fileName, bytes);
  const QString name = (control & 4) ? written : fileName;

  TPlayQueue queue;
  for (int i = 0; i < (control >> 3) * 8; ++i)
    queue.Append({QStringLiteral("/before/%1.mp3").arg(i), QStringLiteral("/before/lyrics.txt"),
                  QStringLiteral("before"), QString()});

  try {
    const QString path = PlaylistPath(home, name);
    FUZZ_CHECK(path == written);
    FUZZ_CHECK(PlaylistName(home, path) == fileName);
    const QByteArray read = ReadWholeFile(path);
    FUZZ_CHECK(read == bytes);
    const TPlaylistKind kind = PlaylistKindOf(name);
    FUZZ_CHECK(kind == kKinds[control & 3]);
    if (kind == TPlaylistKind::Vrl) {
      const QList<TPlaylistEntry> entries = ParseVrl(read);
      for (const TPlaylistEntry& e : entries) FUZZ_CHECK(!e.FileName.isEmpty());
      FUZZ_CHECK(ParseVrl(FormatVrl(entries)) == entries);  // a save keeps what was loaded
      Fill(queue, entries);
      CheckQueue(queue, entries);
    } else if (kind != TPlaylistKind::Other) {
      const QStringList paths = ParseM3u(read, home, kind);
      const QString text = kind == TPlaylistKind::M3u8 ? DecodeUtf8Text(read) : DecodeLegacyText(read);
      FUZZ_CHECK(paths.size() == PathLines(text));
      QList<TPlaylistEntry> entries;
      for (const QString& p : paths) {
        FUZZ_CHECK(p.isEmpty() || QDir::isAbsolutePath(p));  // a file URL that names no file is empty
        entries.append({p, p, QString(), QString()});        // titles come from tags, not read here
      }
      Fill(queue, entries);
      CheckQueue(queue, entries);
    }
  } catch (const std::exception& e) {
    FuzzFailure(e.what());  // the list is there and readable: nothing may be raised
  }
  return 0;
}
