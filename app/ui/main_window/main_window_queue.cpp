// The main window as the queue player's host: the title labels, the song menu and the
// lyrics clock.
#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>

#include "ui/dialogs/error_box.h"
#include "ui/lyrics/lyrics_window.h"
#include "ui/main_window/main_window.h"
#include "ui/playlist/playlist_window.h"

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

void TForm1::PauseLyrics() {
  if (LyricsActive && Form5) Form5->PauseLyrics();
  Timer1.stop();
}

// The lyrics follow the music again: a clock left off after a pause froze them for the rest
// of the track.
void TForm1::ResumeLyrics() {
  if (LyricsActive && Form5) Form5->ResumeLyrics();
}

void TForm1::StartLyrics() {
  if (!Form5) return;
  const QString speed = Form2 ? Form2->SpeedCell(FPlayer->Queue.CurrentIndex + 1) : QString();
  Form5->StartLyrics(LyricsFileName, speed);
}

void TForm1::Timer1Timer() {
  if (Form5) Form5->LyricsTick();
}
