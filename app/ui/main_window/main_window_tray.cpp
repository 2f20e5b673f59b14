// The main window in the notification area: its tray icon, hiding into it and coming back,
// and the tip that names the playing title.
#include <QApplication>
#include <QStyle>

#include "ui/lyrics/lyrics_window.h"
#include "ui/main_window/main_window.h"
#include "ui/playlist/playlist_window.h"
#include "ui/tray/task_tray.h"

void TForm1::CreateTaskTray() {
  TaskTray1 = std::make_unique<TTaskTray>(this);
  TaskTray1->setObjectName(QStringLiteral("TaskTray1"));
  try {
    TaskTray1->SetIconID(1);
  } catch (const EInvalidOperation&) {
    // Another main window holds 1 (tests run several): this one keeps the number it got.
  }
  TaskTray1->SetPopupMenuR(FMenu.PopupMenu1);
  // The application icon is set after the first paint; the tray takes it then (event()).
  TaskTray1->SetIcon(QApplication::windowIcon());
  TaskTray1->OnDblClick = [this](TTaskTray&, Qt::MouseButton) { RestoreFromTray(); };
  // Status-notifier hosts report a left click (an activation) and never a double click.
  TaskTray1->OnMouseUp = [this](TTaskTray&, Qt::MouseButton button, Qt::MouseButtons, int, int) {
    if (button == Qt::LeftButton) RestoreFromTray();
  };
  TaskTray1->Loaded();
}

bool TForm1::event(QEvent* event) {
  if (event->type() == QEvent::ApplicationWindowIconChange && TaskTray1)
    TaskTray1->SetIcon(QApplication::windowIcon());
  return QWidget::event(event);
}

void TForm1::ToggleTaskTray() {
  if (TaskTray1->Registered())
    RestoreFromTray();
  else
    HideToTray();
}

void TForm1::HideToTray() {
  // The icon comes first: where the desktop shows none the window is not hidden, so it can
  // never be lost.
  if (TaskTray1->Icon().isNull()) TaskTray1->SetIcon(style()->standardIcon(QStyle::SP_MediaPlay));
  try {
    TaskTray1->SetRegistered(true);
  } catch (...) {
    TaskTray1->SetRegistered(false);
    throw;
  }
  FMenu.N1->setText(kTrayRestoreCaption);
  FHiddenInTray = true;
  hide();
  for (QWidget* w : std::initializer_list<QWidget*>{Form2, Form5})
    if (w && w->isVisible()) w->hide();
}

void TForm1::RestoreFromTray() {
  // An XEmbed double click arrives as a click, then the double click: the second finds the
  // window back already.
  if (!FHiddenInTray && !TaskTray1->Registered()) return;
  FMenu.N1->setText(kTrayHideCaption);
  FHiddenInTray = false;
  show();
  TaskTray1->SetRegistered(false);
}

void TForm1::SetTrayTip(const QString& title) {
  try {
    TaskTray1->SetTipString(title);
  } catch (const std::exception&) {
    // A tray that refuses the new tip must not keep the track from playing.
  }
}
