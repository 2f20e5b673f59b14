#include "playlist_window.h"

#include <QComboBox>

#include <algorithm>
#include <QHeaderView>
#include <QTableWidget>

#include "form_rgn.h"
#include "image_button.h"
#include "main_window.h"
#include "platform_session.h"
#include "settings_keys.h"
#include "skin_layout.h"
#include "window_dragger.h"

TForm2::TForm2(TForm1& main) : QWidget(nullptr, Qt::FramelessWindowHint), FMain(main) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("再生リスト"));
  if (IsNativeWayland()) setAttribute(Qt::WA_TranslucentBackground);
  resize(kClientWidth, kClientHeight);
  FR1 = new TFormRgn(this);
  combo = new QComboBox(this);
  combo->setEditable(true);
  combo->setEditText(kUnnamedListName);
  gd = new QTableWidget(0, 4, this);
  gd->setHorizontalHeaderLabels({QString(), QStringLiteral("MP3"), QStringLiteral("歌詞"),
                                 QStringLiteral("速度")});
  gd->verticalHeader()->hide();
  gd->verticalHeader()->setMinimumSectionSize(kRowHeight);
  gd->verticalHeader()->setDefaultSectionSize(kRowHeight);
  gd->horizontalHeader()->setFixedHeight(kHeaderRowHeight);
  gd->setStyleSheet(QStringLiteral("QTableWidget { background: white; color: navy; font-size: 11px; }"
                                   "QHeaderView::section { background: #0080c0; color: white; font-size: 11px; }"));
  Image1 = new TImageButton(this, QStringLiteral("再生リスト新規作成"), false);
  Image3 = new TImageButton(this, QStringLiteral("音楽ファイル、再生リストファイルを開く"), false);
  Image4 = new TImageButton(this, QStringLiteral("再生リストファイルに名前をつけて保存"), false);
  Image9 = new TImageButton(this, QStringLiteral("終了"), false);
  connect(Image9, &TImageButton::clicked, this, &QWidget::close);
  SetColumnWidths();
  FDragger = new TWindowDragger(this);
  FDragger->AddHandle(FR1);
}

void TForm2::SetColumnWidths() {
  const int unit = gd->width() / 20;
  gd->setColumnWidth(0, 0);
  gd->setColumnWidth(1, unit * 9);
  gd->setColumnWidth(2, unit * 8);
  gd->setColumnWidth(3, unit * 2);
}

void TForm2::ApplySkin(const TSkinLayout& layout, const std::array<QImage, 20>& pictures) {
  const std::array<std::pair<int, TImageButton*>, 4> buttons{
      {{16, Image1}, {17, Image3}, {18, Image4}, {19, Image9}}};
  for (const auto& [piece, button] : buttons) {
    button->SetPicture(pictures[static_cast<size_t>(piece)]);
    button->move(layout.Positions[static_cast<size_t>(piece - 1)]);
  }
  combo->setGeometry(layout.Combo);
  gd->setGeometry(layout.Grid);
  SetColumnWidths();
}

void TForm2::CopyMainBackground() {
  FR1->SetPicture(FMain.Image6);
  FR1->BuildRegion();
  FR1->ApplyRegion();
}

void TForm2::AppendQueueRow(int row, const QString& title) {
  gd->setRowCount(std::max(gd->rowCount() + 1, row));
  gd->setRowHeight(gd->rowCount() - 1, kRowHeight);
  gd->setItem(row - 1, 1, new QTableWidgetItem(title));
}

QString TForm2::ListName() const { return combo->currentText(); }

void TForm2::SetListName(const QString& name) { combo->setEditText(name); }

QString TForm2::RowTitle(int row) const {
  const QTableWidgetItem* item = row >= 1 ? gd->item(row - 1, 1) : nullptr;
  return item ? item->text() : QString();
}

int TForm2::GridRowCount() const { return gd->rowCount() + 1; }

void TForm2::LoadPlaylist() {
  // Reading ".vrl" and ".m3u" files into the queue is not built yet: the queue stays as it is.
}

void TForm2::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FMain.RunDeferredSkinLoad();
}
