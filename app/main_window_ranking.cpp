// The main window's ranking: read at start-up, counted for every started track, and written
// out as history.txt, which the desktop then opens.
#include <QUrl>

#include "desktop_open.h"
#include "main_window.h"
#include "ranking.h"

void TForm1::ReadRanking() { FRanking->Read(); }

void TForm1::CountPlay(const QString& title) { FRanking->CountPlay(title); }

void TForm1::WriteHistory() {
  OpenWithDesktop(QUrl::fromLocalFile(WriteHistoryFile(FHome, *FRanking)));
}
