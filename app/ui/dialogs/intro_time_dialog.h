// Form6, the intro-time dialog: how many seconds each track plays in intro mode.
#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;

// Form6 (the original design's name): the intro-time dialog.
class TForm6 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm6(QWidget* parent = nullptr);

  QLineEdit* Edit1;
  QPushButton* Button1;  // set
  QPushButton* Button2;  // cancel

  // "設定" with the seconds and the text as typed; not called for a text that is no number
  // of seconds (the dialog then stays open).
  std::function<void(int seconds, const QString& text)> OnSet;

  void Button1Click();
};
