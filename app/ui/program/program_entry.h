// The program entry: the application home, the player session, the six windows created in
// order (Form1 first, whose creation runs the start-up sequence) with the signals between
// them wired once, the files to play, the event loop.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

#include "core/session/player_session.h"

class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TMprisService;
class TSingleInstance;

struct TStartOptions {
  QString Home;          // --home; empty for the usual choice
  QStringList Files;     // to queue, as if dropped on the main window; playlists are loaded
  bool Enqueue = false;  // --enqueue: a running player adds the files and plays on
  int ExitAfterMs = -1;  // --exit-after: run the exit command this long after start-up
};

// The session first: every window refers to it and goes before it; then Form1, which owns
// the others as their parent and goes after them.
struct TApplicationWindows {
  std::unique_ptr<TPlayerSession> Session;
  std::unique_ptr<TForm1> Form1;
  std::unique_ptr<TForm2> Form2;
  std::unique_ptr<TForm3> Form3;
  std::unique_ptr<TForm4> Form4;
  std::unique_ptr<TForm5> Form5;
  std::unique_ptr<TForm6> Form6;
};

TStartOptions ParseCommandLine(const QStringList& arguments);

// Before the application object: when a player already runs on the home, hands it the files
// and returns the exit code; -1 when this start is to run the player.
int HandOverStart(const QStringList& arguments);

// Prepares the home, creates the session and the windows and connects them; Form1 (and the
// session) are null when its start-up sequence ended the program.
TApplicationWindows CreateApplicationWindows(const QString& home);
// The same in two steps, so the program's main window is on screen before the rest is built:
// the home, the session and Form1 with its start-up sequence (holdStarts: what is to play
// waits for the session's ReleaseStarts), then Form2 to Form6, attached and connected.
TApplicationWindows CreateMainWindow(const QString& home, bool holdStarts);
void CreateOtherWindows(TApplicationWindows& windows);

// What the windows tell each other, wired once: the playlist window's first showing runs the
// deferred skin load.
void ConnectWindows(TApplicationWindows& windows);

// The desktop's requests: files handed over by a later start (added as dropped, or only
// appended for --enqueue, then the window raised) and the media controls' window commands.
// Either may be null.
void ConnectDesktop(TApplicationWindows& windows, TSingleInstance* instance, TMprisService* mpris);

// Files named on the command line are queued as if dropped, except playlist files (".vrl",
// ".m3u", ".m3u8", as the desktop hands them over), which are loaded as the list; either
// stays when the playlist window first opens. Without any, the first start of a new home
// gets the bundled demo track with its lyrics.
void QueueStartFiles(TApplicationWindows& windows, const QStringList& files, const QString& demoDir);

// The whole program after the application object exists; returns the exit code.
int RunProgram(const QStringList& arguments);
