// The main window's view of the session's queue: the title labels of the started track and
// the song menu.
#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>

#include "core/session/player_session.h"
#include "ui/dialogs/error_box.h"
#include "ui/main_window/main_window.h"

void TForm1::ShowTrack(const QString& title, const QString& artist) {
  Label1->setText(title);
  Label3->setText(title);
  Label2->setText(artist);
  Label4->setText(artist);
  SetTrayTip(title);
}

void TForm1::BuildSongMenu() {
  FMenu.music1->clear();
  const TPlayQueue& queue = FSession.Queue();
  TQueuePlayer& player = FSession.Player();
  for (int i = 0; i < queue.QueueCount(); ++i) {
    const QString caption = u'&' + QString::number(i + 1) + u' ' + LiteralCaption(queue.Entry(i).Title);
    QAction* item = FMenu.music1->addAction(caption);
    item->setCheckable(true);
    item->setData(i);
    FMenu.music1Group->addAction(item);
    connect(item, &QAction::triggered, this,
            [&player, i] { RunShowingErrors([&player, i] { player.PlaySongMenuEntry(i); }); });
    if (i == queue.CurrentIndex()) item->setChecked(true);
  }
}
