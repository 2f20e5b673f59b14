#include "core/playlist/playlist_service.h"

#include <QFileInfo>

#include <exception>
#include <utility>

#include "core/playback/play_queue.h"
#include "core/playback/track_tags.h"
#include "core/playlist/open_selection.h"
#include "formats/atomic_file.h"
#include "formats/file_errors.h"
#include "formats/playlist_files.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"

QString TagTitle(const QString& fileName) { return ReadTrackTags(fileName).Title; }

TPlaylistService::TPlaylistService(TPlayQueue& queue, TSettingsFile& settings, QString home,
                                   std::function<void()> startIfIdle, TTitleReader readTitle, QObject* parent)
    : QObject(parent),
      FQueue(queue),
      FSettings(settings),
      FHome(std::move(home)),
      FStartIfIdle(std::move(startIfIdle)),
      FReadTitle(std::move(readTitle)),
      FListName(kUnnamedListName) {}

void TPlaylistService::SetListName(const QString& name) {
  if (name == FListName) return;
  FListName = name;
  emit ListNameChanged(name);
}

QString TPlaylistService::OpenDir() const { return FSettings.ReadString(kKeyOpenDir, FHome); }

void TPlaylistService::ClearQueue() { FQueue.Clear(); }

TQueueEntry TPlaylistService::ReadEntry(const QString& path) const {
  return {path, {}, FReadTitle(path), {}};
}

void TPlaylistService::LoadPlaylist(const QString& name) {
  SetListName(name);
  bool full = false;
  {
    const TPlayQueue::TBatch batch(FQueue);
    ClearQueue();
    try {
      const QString path = PlaylistPath(FHome, name);
      const QByteArray bytes = ReadWholeFile(path);
      const TPlaylistKind kind = PlaylistKindOf(name);
      if (kind != TPlaylistKind::Other) FQueue.SetRows(0);
      if (kind == TPlaylistKind::Vrl) {
        for (const TPlaylistEntry& e : ParseVrl(bytes)) {
          if ((full = FQueue.IsFull())) break;
          FQueue.AddRow();
          FQueue.Append({e.FileName, e.LyricsFile, e.Title, e.Speed});
        }
      } else if (kind != TPlaylistKind::Other) {
        for (const QString& file : ParseM3u(bytes, QFileInfo(path).absolutePath(), kind)) {
          if ((full = FQueue.IsFull())) break;
          FQueue.AddRow();  // a file that cannot be read ends the load, its row left empty
          FQueue.Append(ReadEntry(file));
        }
      }
      FSettings.WriteString(kKeyListFileName, name);
    } catch (const std::exception&) {
      return;  // a list that cannot be read loads as far as it could, without a word
    }
  }
  if (full) throw EQueueFull();
}

void TPlaylistService::SavePlaylist(const QString& path) {
  QList<TPlaylistEntry> entries;
  for (int i = 0; i < FQueue.QueueCount(); ++i) {
    const TQueueEntry& e = FQueue.Entry(i);
    if (!e.Title.isEmpty()) entries.append({e.FileName, e.Title, e.LyricsFile, e.LyricsSpeed});
  }
  WriteFileAtomically(path, FormatVrl(entries));
  const QString name = PlaylistName(FHome, path);
  SetListName(name);
  emit PlaylistSaved(name);
}

void TPlaylistService::NewPlaylist() {
  {
    const TPlayQueue::TBatch batch(FQueue);
    ClearQueue();
    FQueue.SetRows(1);
  }
  SetListName(kUnnamedListName);
}

void TPlaylistService::AppendToQueue(const QString& path, const QString& lyricsFile) {
  if (FQueue.IsFull()) throw EQueueFull();
  TQueueEntry entry = ReadEntry(path);
  entry.LyricsFile = lyricsFile;
  const TPlayQueue::TBatch batch(FQueue);
  FQueue.AddRow();
  FQueue.Append(entry);
}

void TPlaylistService::AddFiles(const QStringList& files, TAddPolicy policy) {
  bool full = false;
  std::exception_ptr stop;  // raised once the changes are out
  {
    const TPlayQueue::TBatch batch(FQueue);
    for (const QString& path : files) {
      if ((full = FQueue.IsFull())) break;
      try {
        if (policy != TAddPolicy::OpenDialog) {
          AppendToQueue(path);
          continue;
        }
        FQueue.AddRow();
        FQueue.Append(ReadEntry(path));
      } catch (const std::exception&) {
        if (policy != TAddPolicy::PlaylistDrop) continue;  // not MPEG audio, or unreadable
        stop = std::current_exception();
        break;
      }
    }
  }
  if (stop) std::rethrow_exception(stop);
  if (policy == TAddPolicy::MainWindowDrop || policy == TAddPolicy::StartFiles) FStartIfIdle();
  if (full && policy != TAddPolicy::Enqueue) throw EQueueFull();
}

void TPlaylistService::OpenFiles(const QStringList& selection) {
  if (selection.isEmpty()) return;
  bool full = false;
  try {
    switch (OpenKindOf(selection)) {
      case TOpenKind::Music:
        AddFiles(MusicFilesOf(selection), TAddPolicy::OpenDialog);
        break;
      case TOpenKind::Playlist:
        LoadPlaylist(PlaylistName(FHome, selection.first()));
        break;
      case TOpenKind::Nothing:
        break;
    }
  } catch (const EQueueFull&) {
    full = true;
  }
  FSettings.WriteString(kKeyOpenDir, selection.first());
  if (full) throw EQueueFull();
}

void TPlaylistService::MoveEntryUp(int index) {
  if (index >= 1 && index < FQueue.QueueCount()) FQueue.Move(index, index - 1);
}

void TPlaylistService::MoveEntryDown(int index) {
  if (index >= 0 && index < FQueue.QueueCount() - 1) FQueue.Move(index, index + 1);
}

void TPlaylistService::DeleteEntry(int index) { FQueue.Remove(index); }

void TPlaylistService::AttachLyrics(int index, const QString& lyricsFile) {
  FQueue.SetLyrics(index, lyricsFile, kDefaultLyricsSpeed);
  FSettings.WriteString(kKeyOpenDir, lyricsFile);
}

void TPlaylistService::SetLyricsSpeed(int index, const QString& speed) {
  FQueue.SetLyricsSpeed(index, speed);
}
