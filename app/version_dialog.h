// Form3, the version dialog: program icon, name, version and free memory.
#pragma once

#include <QDialog>

class TForm3 : public QDialog {
  Q_OBJECT

public:
  explicit TForm3(QWidget* parent = nullptr);
};
