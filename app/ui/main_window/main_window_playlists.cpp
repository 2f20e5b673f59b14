// The main window's playlist submenu list1: one radio item per playlist file of the home.
#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "core/playlist/playlist_service.h"
#include "core/session/player_session.h"
#include "formats/playlist_files.h"
#include "ui/dialogs/error_box.h"
#include "ui/main_window/main_window.h"

void TForm1::BuildPlaylistMenu() {
  FMenu.list1->clear();
  for (const QString& name : PlaylistFilesIn(FSession.Home())) {
    QAction* item = FMenu.list1->addAction(LiteralCaption(name));
    item->setCheckable(true);
    FMenu.list1Group->addAction(item);
    item->setChecked(name == FSession.ListFileName());
    connect(item, &QAction::triggered, this, [this, item, name] {
      item->setChecked(true);
      RunShowingErrors([this, &name] { FSession.Playlist().LoadPlaylist(name); });
    });
  }
}
