// The main window's history command: the session's ranking written out as history.txt,
// which the desktop then opens.
#include <QUrl>

#include "core/platform/desktop_open.h"
#include "core/playback/ranking.h"
#include "core/session/player_session.h"
#include "ui/main_window/main_window.h"

void TForm1::WriteHistory() {
  OpenWithDesktop(QUrl::fromLocalFile(WriteHistoryFile(FSession.Home(), FSession.Ranking())));
}
