// The main window's ranking: read at start-up, counted for every started track, and written
// out as history.txt, which the desktop then opens.
#include <QUrl>

#include "core/platform/desktop_open.h"
#include "ui/main_window/main_window.h"
#include "core/playback/ranking.h"

void TForm1::ReadRanking() { FRanking->Read(); }

void TForm1::CountPlay(const QString& title) { FRanking->CountPlay(title); }

void TForm1::WriteHistory() {
  OpenWithDesktop(QUrl::fromLocalFile(WriteHistoryFile(FHome, *FRanking)));
}
