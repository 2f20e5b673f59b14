// PopupMenu1 of the main window: the items with their captions, radio groups and check marks.
// The handlers are connected by the main window.
#pragma once

#include <QString>

class QAction;
class QActionGroup;
class QMenu;
class QWidget;

struct TMainPopupMenu {
  explicit TMainPopupMenu(QWidget* owner);

  QMenu* PopupMenu1;
  QAction* P1;
  QAction* Q1;
  QAction* U1;
  QAction* N3;
  QAction* B1;
  QMenu* music1;
  QActionGroup* music1Group;
  QMenu* list1;
  QActionGroup* list1Group;
  QMenu* S1;
  QAction* rep1;
  QAction* rep2;
  QAction* rep3;
  QMenu* rep4;  // a submenu itself: opening it chooses intro mode
  QAction* S2;
  QActionGroup* repGroup;
  QAction* O1;
  QAction* N1;
  QAction* staytop1;
  QAction* L1;
  QAction* K1;
  QMenu* SKINI1;
  QAction* H1;
  QAction* N7;
  QAction* N8;
  QAction* About1;
  QAction* Exit1;

  // The play mode items rep1 ... rep4 by mode number; nullptr outside 1 ... 4.
  QAction* ModeItem(int mode) const;
};

inline const QString kTrayHideCaption = QStringLiteral("タスクトレイにしまう(&T)");
inline const QString kTrayRestoreCaption = QStringLiteral("元のサイズに戻す(&T)");

// A caption shown literally (an ampersand in a title or skin name is no accelerator).
QString LiteralCaption(const QString& text);
// "イントロ再生：N秒(&I)"
QString IntroCaption(const QString& seconds);
