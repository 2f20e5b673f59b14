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

struct TStartOptions {
  QString Home;          // --home; empty for the usual choice
  QStringList Files;     // to queue, as if dropped on the main window; playlists are loaded
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

// Prepares the home, creates the session and the windows and connects them; Form1 (and the
// session) are null when its start-up sequence ended the program.
TApplicationWindows CreateApplicationWindows(const QString& home);

// The signals the windows speak back with, each wired once: a saved playlist changes the main
// window's playlist menu, and the playlist window's first showing runs the deferred skin load.
void ConnectWindows(TApplicationWindows& windows);

// Files named on the command line are queued as if dropped, except playlist files (".vrl",
// ".m3u", ".m3u8", as the desktop hands them over), which are loaded as the list; either
// stays when the playlist window first opens. Without any, the first start of a new home
// gets the bundled demo track with its lyrics.
void QueueStartFiles(TApplicationWindows& windows, const QStringList& files, const QString& demoDir);

// The whole program after the application object exists; returns the exit code.
int RunProgram(const QStringList& arguments);
