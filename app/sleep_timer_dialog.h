// Form4, the sleep timer dialog: the time at which the computer is switched off.
#pragma once

#include <QDialog>

class TForm4 : public QDialog {
  Q_OBJECT

public:
  explicit TForm4(QWidget* parent = nullptr);
};
