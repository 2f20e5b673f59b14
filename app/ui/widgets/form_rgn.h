// TFormRgn: the picture control that shapes its window. It shows its picture at its top
// left, sizes itself to it, and turns the picture's outline (every pixel that is not the
// transparent colour) into the window's region.
#pragma once

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <cstdint>
#include <stdexcept>

class ERegionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kCreateRectRgnFailed = "CreateRectRgnに失敗しました";
inline constexpr const char* kSetWindowRgnFailed = "SetWindowRGNに失敗しました";

// TFormRgn (the original design's name): the skin background that cuts its window to shape.
class TFormRgn : public QWidget {
  Q_OBJECT

 public:
  explicit TFormRgn(QWidget* parent);

  const QImage& Picture() const { return FPicture; }
  void SetPicture(const QImage& picture);  // sizes the control to the picture

  // Windows colour value 0x00BBGGRR; only stored, used by the next BuildRegion.
  uint32_t TransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(uint32_t color) { FTransparentColor = color; }

  // Computes the region from the current picture, in the window's coordinates. On failure
  // the previous region stays.
  void BuildRegion();
  // Gives the window a copy of the region (nothing when none was built).
  void ApplyRegion();

  bool HasRegion() const { return FHasRegion; }
  const QRegion& Region() const { return FRegion; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage FPicture;
  uint32_t FTransparentColor = 0;
  QRegion FRegion;
  bool FHasRegion = false;
};
