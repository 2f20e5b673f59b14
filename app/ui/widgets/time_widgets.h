// The main window's time controls: the time text, which a click switches between elapsed and
// remaining, and the progress line, which seeks on a click, a drag or the wheel.
#pragma once

#include <QColor>
#include <QLabel>
#include <QWidget>

// The time text; a left click asks for the other way of counting.
class TTimeLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TTimeLabel(QWidget* parent);

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
};

// The track as a line, played part first. A press shows the point under the pointer as the
// target and a drag moves it; the seek comes once, on release, so a drag does not restart the
// decoder on every pixel. Each wheel notch asks for a step of kSeekStepMs.
class TProgressLine : public QWidget {
  Q_OBJECT

 public:
  explicit TProgressLine(QWidget* parent);

  void SetColors(const QColor& played, const QColor& rest);
  // What the line shows while nobody drags it; a length of 0 shows an empty line and refuses
  // clicks.
  void SetTime(qint64 positionMs, qint64 lengthMs);
  bool Dragging() const { return FDragging; }
  qint64 Shown() const { return FDragging ? FTarget : FPosition; }

 signals:
  void TargetMoved(qint64 ms);         // while dragging: where a release would seek
  void SeekRequested(qint64 ms);       // a click or the end of a drag
  void StepRequested(qint64 deltaMs);  // the wheel

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void MoveTarget(int x);

  QColor FPlayed = Qt::white;
  QColor FRest = Qt::gray;
  qint64 FPosition = 0;
  qint64 FLength = 0;
  qint64 FTarget = 0;
  bool FDragging = false;
  int FWheelAngle = 0;  // eighths of a degree not yet a whole notch (smooth wheels and pads)
};
