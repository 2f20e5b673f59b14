// Form3, the version dialog: program icon, name, version, notice, a link, the free-memory
// figure and OK.
#pragma once

#include <QDialog>
#include <QUrl>

class QLabel;
struct TMemoryStatus;
class QPushButton;

// "Ver" and the program's version, the one `varo --version` prints: "Ver1.09".
QString VersionText();

// Form3 (the original design's name): the version dialog.
class TForm3 : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 240;
  static constexpr int kClientHeight = 163;

  explicit TForm3(QWidget* parent = nullptr);

  QLabel* Image1;  // the program icon
  QLabel* Label1;  // name
  QLabel* Label2;  // version
  QLabel* Label3;  // notice
  QLabel* Label4;  // link
  QLabel* Label5;  // "システムリソース："
  QLabel* Label6;  // the free-memory figure
  QLabel* Label7;  // "%の空き"
  QPushButton* Button1;

  // The share of physical memory available, one decimal ("25.0").
  void SetFreeMemory(const TMemoryStatus& status);
  // Where the link leads; opened with the desktop's default application.
  void SetLink(const QString& caption, const QUrl& url);
  void Label4Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Takes the program icon: the application gets it after the windows are made.
  void showEvent(QShowEvent* event) override;

 private:
  QUrl FLink;
};
