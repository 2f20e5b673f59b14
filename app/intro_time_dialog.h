// Form6, the intro-time dialog: how many seconds each track plays in intro mode.
#pragma once

#include <QDialog>

class TForm6 : public QDialog {
  Q_OBJECT

public:
  explicit TForm6(QWidget* parent = nullptr);
};
