#include "sleep_timer_dialog.h"

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form4"));
  setWindowTitle(QStringLiteral("おやすみタイマー設定"));
  setModal(true);
}
