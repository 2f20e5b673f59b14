#include "ui/main_window/main_popup_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

QString LiteralCaption(const QString& text) {
  QString caption = text;
  return caption.replace(u'&', QStringLiteral("&&"));
}

QString IntroCaption(const QString& seconds) {
  return QStringLiteral("イントロ再生：") + seconds + QStringLiteral("秒(&I)");
}

namespace {

QAction* Radio(QMenu* menu, QActionGroup* group, const QString& caption) {
  QAction* a = menu->addAction(caption);
  a->setCheckable(true);
  group->addAction(a);
  return a;
}

QActionGroup* OptionalRadioGroup(QObject* owner) {
  auto* group = new QActionGroup(owner);
  group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  return group;
}

}  // namespace

TMainPopupMenu::TMainPopupMenu(QWidget* owner) {
  PopupMenu1 = new QMenu(owner);
  P1 = PopupMenu1->addAction(QStringLiteral("再生(&P)"));
  Q1 = PopupMenu1->addAction(QStringLiteral("停止(&Q)"));
  U1 = PopupMenu1->addAction(QStringLiteral("一時停止(&U)"));
  N3 = PopupMenu1->addAction(QStringLiteral("前の曲(&N)"));
  B1 = PopupMenu1->addAction(QStringLiteral("次の曲(&B)"));
  music1 = PopupMenu1->addMenu(QStringLiteral("曲名(&M)"));
  music1Group = OptionalRadioGroup(music1);
  list1 = PopupMenu1->addMenu(QStringLiteral("再生リスト(&A)"));
  list1Group = OptionalRadioGroup(list1);
  PopupMenu1->addSeparator();  // N2

  S1 = PopupMenu1->addMenu(QStringLiteral("再生モード(&S)"));
  repGroup = OptionalRadioGroup(S1);
  rep1 = Radio(S1, repGroup, QStringLiteral("1曲リピート(&O)"));
  rep2 = Radio(S1, repGroup, QStringLiteral("全曲リピート(&A)"));
  rep3 = Radio(S1, repGroup, QStringLiteral("ランダム再生(&R)"));
  rep4 = S1->addMenu(IntroCaption(QStringLiteral("5")));
  rep4->menuAction()->setCheckable(true);
  repGroup->addAction(rep4->menuAction());
  S2 = rep4->addAction(QStringLiteral("イントロ再生時間設定(&S)"));
  rep2->setChecked(true);

  O1 = PopupMenu1->addAction(QStringLiteral("おやすみタイマー設定(&O)"));
  O1->setCheckable(true);
  N1 = PopupMenu1->addAction(kTrayHideCaption);
  PopupMenu1->addSeparator();  // N5
  staytop1 = PopupMenu1->addAction(QStringLiteral("常に手前に表示(&C)"));
  staytop1->setCheckable(true);
  L1 = PopupMenu1->addAction(QStringLiteral("再生リスト表示(&L)"));
  K1 = PopupMenu1->addAction(QStringLiteral("歌詞画面表示(&K)"));
  PopupMenu1->addSeparator();  // N6
  SKINI1 = PopupMenu1->addMenu(QStringLiteral("SKIN(&I)"));
  H1 = SKINI1->addAction(QStringLiteral("標準(&H)"));
  N7 = SKINI1->addSeparator();
  PopupMenu1->addSeparator();  // N4
  N8 = PopupMenu1->addAction(QStringLiteral("再生履歴(&H)"));
  About1 = PopupMenu1->addAction(QStringLiteral("バージョン情報(&V)"));
  Exit1 = PopupMenu1->addAction(QStringLiteral("終了(&X)"));
}

QAction* TMainPopupMenu::ModeItem(int mode) const {
  switch (mode) {
    case 1:
      return rep1;
    case 2:
      return rep2;
    case 3:
      return rep3;
    case 4:
      return rep4->menuAction();
    default:
      return nullptr;
  }
}
