// The queue's lists and edits, the one writer of its entries: loading a playlist file into
// the queue, saving the queue as one, a new list, adding files by the policy of where they
// came from, moving and deleting entries, a lyrics file and the lyrics speed of an entry. The
// queue announces every change itself; the list's name changes go out as ListNameChanged.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class TPlayQueue;
class TSettingsFile;
struct TQueueEntry;

// Where files to add come from, and so how they are added.
enum class TAddPolicy {
  // Dropped on the main window: a file that cannot be read is skipped silently; afterwards
  // the first entry of the queue starts unless something plays.
  MainWindowDrop,
  // Named at start or handed over by a later start: as a drop on the main window.
  StartFiles,
  // Dropped on the playlist window: the first file that cannot be read ends the add with the
  // engine's error; nothing starts.
  PlaylistDrop,
  // The open dialog's music files: each file tried gets a row of the playlist; one that
  // cannot be read is skipped silently and its row stays empty.
  OpenDialog,
  // Added while playing on (--enqueue): what cannot be read or does not fit is left out
  // silently; nothing starts.
  Enqueue,
};

// The title of a music file from its tags; raises the tag reader's error.
using TTitleReader = std::function<QString(const QString& fileName)>;
QString TagTitle(const QString& fileName);

inline const QString kDefaultLyricsSpeed = QStringLiteral("5");

class TPlaylistService : public QObject {
  Q_OBJECT

 public:
  // startIfIdle starts the first entry unless something plays (the session's start).
  TPlaylistService(TPlayQueue& queue, TSettingsFile& settings, QString home,
                   std::function<void()> startIfIdle, TTitleReader readTitle = TagTitle,
                   QObject* parent = nullptr);

  // The current list's name (the playlist window's combo): "再生リスト" for an unnamed one.
  const QString& ListName() const { return FListName; }
  void SetListName(const QString& name);
  // Where the file dialogs start (opendir, the home by default).
  QString OpenDir() const;

  // Loads the playlist file `name` (the home's, or a full path) into the queue. Any error
  // ends it silently, keeping what was loaded so far; listfilename is written once the list
  // has been read. Raises EQueueFull after loading the first 256 entries of a longer list.
  void LoadPlaylist(const QString& name);
  // The queue as a .vrl file (every entry with a title), which becomes the current list.
  void SavePlaylist(const QString& path);
  // An empty unnamed list of one blank row; playback and the current index stay.
  void NewPlaylist();
  void ClearQueue();

  // Reads the tags of path and appends it, one row more; raises the tag reader's error or
  // EQueueFull.
  void AppendToQueue(const QString& path, const QString& lyricsFile = QString());
  // The files in order, as the policy says. Raises EQueueFull once all is done when files
  // were left out because the queue holds 256 (except for Enqueue).
  void AddFiles(const QStringList& files, TAddPolicy policy);
  // The open dialog's choice: music files (".mp3" in any case) when the first file is one,
  // a playlist when it is one, else nothing; opendir becomes the first file.
  void OpenFiles(const QStringList& selection);

  // Entry index goes one up or down, or out; an index without an entry or a move past
  // either end changes nothing. None of them changes the current index.
  void MoveEntryUp(int index);
  void MoveEntryDown(int index);
  void DeleteEntry(int index);
  // The lyrics file of entry index with the speed 5; opendir becomes the file.
  void AttachLyrics(int index, const QString& lyricsFile);
  void SetLyricsSpeed(int index, const QString& speed);

 signals:
  void ListNameChanged(const QString& name);
  void PlaylistSaved(const QString& name);  // a new playlist file in the home or elsewhere

 private:
  TQueueEntry ReadEntry(const QString& path) const;

  TPlayQueue& FQueue;
  TSettingsFile& FSettings;
  QString FHome;
  std::function<void()> FStartIfIdle;
  TTitleReader FReadTitle;
  QString FListName;
};
