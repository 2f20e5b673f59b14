// The main window's playlist submenu list1: one radio item per playlist file of the home.
#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "core/session/player_session.h"
#include "formats/playlist_files.h"
#include "ui/main_window/main_window.h"
#include "ui/playlist/playlist_window.h"

void TForm1::BuildPlaylistMenu() {
  FMenu.list1->clear();
  for (const QString& name : PlaylistFilesIn(FSession.Home())) {
    QAction* item = FMenu.list1->addAction(LiteralCaption(name));
    item->setCheckable(true);
    FMenu.list1Group->addAction(item);
    item->setChecked(name == FSession.ListFileName);
    connect(item, &QAction::triggered, this, [this, item, name] {
      if (!Form2) return;
      try {
        Form2->SetListName(name);
        Form2->LoadPlaylist();
        item->setChecked(true);
      } catch (const std::exception&) {
        // A list that cannot be loaded leaves the menu as it is.
      }
    });
  }
}
