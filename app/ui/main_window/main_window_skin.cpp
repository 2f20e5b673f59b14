// The main window's part in skins: loading a skin into the three windows, the deferred load
// of the playlist and lyrics windows, and the SKIN submenu.
#include <QAction>
#include <QLabel>
#include <QMenu>

#include "core/platform/ui_font.h"
#include "core/platform/window_system.h"
#include "core/session/player_session.h"
#include "core/settings/application_home.h"
#include "formats/region_runs.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"
#include "formats/skin_pack.h"
#include "formats/skin_time_places.h"
#include "ui/dialogs/error_box.h"
#include "ui/lyrics/lyrics_window.h"
#include "ui/main_window/main_window.h"
#include "ui/playlist/playlist_window.h"
#include "ui/widgets/form_rgn.h"
#include "ui/widgets/image_button.h"

namespace {

void SetTextColor(QLabel* label, const QColor& color) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, color);
  label->setPalette(palette);
}

}  // namespace

void TForm1::LoadSkin(const QString& name, int parts) {
  const TSkin skin = ReadSkin(SkinDir(FSession.Home()), name);
  // Every picture the chosen windows need is decoded before any window changes, so a broken
  // piece leaves the windows as they were.
  std::array<QImage, 20> pictures;
  auto decode = [&](int first, int last) {
    for (int piece = first; piece <= last; ++piece)
      pictures[static_cast<size_t>(piece)] = skin.Picture(piece);
  };
  if (parts & kSkinMain) decode(1, 10);
  if (parts & kSkinLyrics) decode(11, 14);
  if (parts & kSkinPlaylist) decode(15, 19);

  if (parts & kSkinMain) ApplyMainSkin(skin.Layout, pictures);
  if (parts & kSkinPlaylist) {
    Image6 = pictures[15];
    if (Form2) {
      FPlaylistSkinPending = false;
      Form2->ApplySkin(skin.Layout, pictures);
      Form2->CopyMainBackground(Image6);
      PlacePlaylistWindow();
    }
  }
  if (parts & kSkinLyrics && Form5) {
    Form5->ApplySkin(skin.Layout, pictures);
    if (CanPlaceWindows()) Form5->move(x(), y() + FR1->height());
  }
  FSession.Settings().WriteString(kKeySkin, skin.Name);
}

void TForm1::ApplyMainSkin(const TSkinLayout& layout, const std::array<QImage, 20>& pictures) {
  FR1->SetPicture(pictures[1]);
  FR1->move(layout.Positions[0]);
  const std::array<TImageButton*, 9> buttons{Image1, Image2,  Image3, Image11, Image12,
                                             Image8, Image10, Image9, Image14};
  for (size_t i = 0; i < buttons.size(); ++i) {
    buttons[i]->SetPicture(pictures[i + 2]);
    buttons[i]->move(layout.Positions[i + 1]);
  }
  const QRect& l = layout.Label;
  if (l.x() != 0) {
    Label1->setGeometry(l);
    Label3->setGeometry(l.x() + 1, l.y() + 1, l.width(), l.height());
    Label2->setGeometry(l.x() + 1, l.y() + l.height() + 3, l.width(), l.height());
    Label4->setGeometry(l.x() + 1, l.y() + l.height() + 4, l.width(), l.height());
  } else {
    Label1->setGeometry(0, kDefaultTitleTop, FR1->width(), Label1->height());
    Label2->setGeometry(0, kDefaultArtistTop, FR1->width(), Label2->height());
  }
  const QFont font = LabelFont(PointsToSkinPixels(layout.LabelFontSize));
  for (QLabel* label : {Label1, Label2, Label3, Label4}) label->setFont(font);
  const QColor color = QColor::fromRgb(ColorRefToRgb(layout.LabelColor));
  SetTextColor(Label1, color);
  SetTextColor(Label2, color);
  ApplyTimeSkin(layout);
  FR1->BuildRegion();
  FR1->ApplyRegion();
}

// The lyrics window's part a moment after start-up; the playlist window's only once that
// window is shown: a window never opened holds no skin pictures.
void TForm1::RunDeferredSkinLoad() {
  int parts = FDeferredSkinDone ? 0 : kSkinLyrics;
  if (FPlaylistSkinPending && Form2 && Form2->isVisible()) parts |= kSkinPlaylist;
  FDeferredSkinDone = true;
  if (parts == 0) return;
  RunShowingErrors([this, parts] {
    LoadSkin(FSession.Settings().ReadString(kKeySkin, QString::fromLatin1(kDefaultSkinName)), parts);
  });
}

void TForm1::Timer3Timer() {
  // Off first: an error box must not find the timer still running behind it.
  Timer3->stop();
  RunDeferredSkinLoad();
}

void TForm1::FillSkinMenu() {
  const QList<QAction*> items = FMenu.SKINI1->actions();
  for (qsizetype i = items.indexOf(FMenu.N7) + 1; i < items.size(); ++i) {
    FMenu.SKINI1->removeAction(items[i]);
    delete items[i];
  }
  for (const QString& name : ListSkinNames(SkinDir(FSession.Home()))) {
    QAction* item = FMenu.SKINI1->addAction(LiteralCaption(name));
    item->setData(name);
    connect(item, &QAction::triggered, this, [this, name] {
      RunShowingErrors([this, name] { LoadSkin(name, kSkinMain | kSkinPlaylist | kSkinLyrics); });
    });
  }
}
