// Form4, the sleep timer dialog: the hour and minute at which the computer is switched off.
#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

// Form4 (the original design's name): the sleep timer dialog.
class TForm4 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm4(QWidget* parent = nullptr);

  QComboBox* c1;  // hours "0" ... "23"
  QComboBox* c2;  // minutes "00" ... "50"
  QLabel* Label3;
  QPushButton* Button1;  // set
  QPushButton* Button2;  // clear

  // "設定" with the hour and minute texts: may raise (a text that is no time), and the dialog
  // then stays open. "設定解除".
  std::function<void(const QString& hour, const QString& minute)> OnSet;
  std::function<void()> OnClear;

  void Button1Click();
  void Button2Click();
};
