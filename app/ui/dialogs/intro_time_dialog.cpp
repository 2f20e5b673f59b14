#include "ui/dialogs/intro_time_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/platform/ui_font.h"
#include "core/playback/intro_time.h"

TForm6::TForm6(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form6"));
  setWindowTitle(QStringLiteral("イントロ再生時間設定"));
  setModal(true);
  setFont(InterfaceFont());

  Edit1 = new QLineEdit(QString::number(kDefaultIntroSeconds), this);
  Button1 = new QPushButton(QStringLiteral("設定"), this);
  Button2 = new QPushButton(QStringLiteral("キャンセル"), this);
  Button1->setDefault(true);

  auto* seconds = new QHBoxLayout;
  seconds->addWidget(Edit1);
  seconds->addWidget(new QLabel(QStringLiteral("秒"), this));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(seconds);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm6::Button1Click() {
  const std::optional<int> seconds = ParseIntroSeconds(Edit1->text());
  if (!seconds) return;
  if (OnSet) OnSet(*seconds, Edit1->text());
  accept();
}
