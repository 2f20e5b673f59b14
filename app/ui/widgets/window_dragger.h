// Moves a frameless window by the pointer while the left button is held on one of its
// handles (the window itself, its skin background, its labels). The main window snaps to
// the screen edges; the others follow the pointer freely. On native Wayland the compositor
// moves the window (a client cannot place itself there).
#pragma once

#include <QObject>
#include <QPoint>
#include <QSize>

#include <functional>

class QWidget;

class TWindowDragger : public QObject {
  Q_OBJECT

 public:
  // snapSize gives the size used for edge snapping; leave it empty for no snapping.
  explicit TWindowDragger(QWidget* window, std::function<QSize()> snapSize = {});

  void AddHandle(QWidget* handle);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* FWindow;
  std::function<QSize()> FSnapSize;
  QPoint FPressOffset;  // pointer position relative to the window's top left at the press
  bool FSystemMove = false;
};
