#include "intro_time_dialog.h"

TForm6::TForm6(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form6"));
  setWindowTitle(QStringLiteral("イントロ再生時間設定"));
  setModal(true);
}
