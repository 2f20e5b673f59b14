#include "ui/dialogs/sleep_timer_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "core/platform/ui_font.h"
#include "ui/dialogs/error_box.h"

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form4"));
  setWindowTitle(QStringLiteral("おやすみタイマー設定"));
  setModal(true);
  setFont(InterfaceFont());

  c1 = new QComboBox(this);
  c1->setEditable(true);
  for (int hour = 0; hour <= 23; ++hour) c1->addItem(QString::number(hour));
  c1->setEditText(QStringLiteral("0"));
  c2 = new QComboBox(this);
  c2->setEditable(true);
  for (int minute = 0; minute <= 50; minute += 10)
    c2->addItem(QStringLiteral("%1").arg(minute, 2, 10, QLatin1Char('0')));
  c2->setEditText(QStringLiteral("00"));
  for (QComboBox* combo : {c1, c2}) combo->setInsertPolicy(QComboBox::NoInsert);
  Label3 = new QLabel(QStringLiteral("この時刻にパソコンの電源が落ちます"), this);
  Button1 = new QPushButton(QStringLiteral("設定"), this);
  Button2 = new QPushButton(QStringLiteral("設定解除"), this);
  Button1->setDefault(true);

  auto* time = new QHBoxLayout;
  time->addWidget(c1);
  time->addWidget(new QLabel(QStringLiteral("時"), this));
  time->addWidget(c2);
  time->addWidget(new QLabel(QStringLiteral("分"), this));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(time);
  layout->addWidget(Label3);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TForm4::Button2Click);
}

void TForm4::Button1Click() {
  try {
    if (OnSet) OnSet(c1->currentText(), c2->currentText());
  } catch (const std::exception& e) {
    ShowErrorBox(QString::fromUtf8(e.what()));
    return;
  }
  accept();
}

void TForm4::Button2Click() {
  if (OnClear) OnClear();
  accept();
}
