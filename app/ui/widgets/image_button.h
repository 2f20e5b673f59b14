// A button drawn as a picture from the skin. Transparent buttons leave out every pixel of the
// colour found at the picture's bottom-left corner.
#pragma once

#include <QImage>
#include <QWidget>

class TImageButton : public QWidget {
  Q_OBJECT

 public:
  TImageButton(QWidget* parent, const QString& hint, bool transparent);

  const QImage& Picture() const { return FPicture; }
  void SetPicture(const QImage& picture);  // sizes the button to the picture

  // The picture as drawn: with the key colour made fully transparent when transparent.
  const QImage& DrawnPicture() const { return FDrawn; }

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QImage FPicture;
  QImage FDrawn;
  bool FTransparent;
  bool FPressed = false;
};

// The picture with every pixel of its bottom-left colour made transparent.
QImage WithBottomLeftColorTransparent(const QImage& picture);
