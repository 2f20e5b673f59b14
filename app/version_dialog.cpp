#include "version_dialog.h"

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("バージョン情報"));
  setModal(true);
}
