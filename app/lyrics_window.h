// Form5, the lyrics window: the lyrics paint box over the skin background fr5, the close and
// speed buttons, and the five built-in lyrics backgrounds.
#pragma once

#include <QImage>
#include <QWidget>

#include <array>

class TForm1;
class TFormRgn;
class TImageButton;
struct TSkinLayout;

class TForm5 : public QWidget {
  Q_OBJECT

public:
  static constexpr int kClientWidth = 411;
  static constexpr int kClientHeight = 396;

  explicit TForm5(TForm1& main);

  TFormRgn* fr5;
  QWidget* pb1;
  TImageButton* Image9;   // close
  TImageButton* Image15;  // faster
  TImageButton* Image16;  // slower
  QImage Image1;          // the skin background, copied into fr5
  std::array<QImage, 5> img;  // img1 ... img5, the built-in backgrounds (270 x 157)
  QImage img200;              // the user's background

  // The lyrics part of a skin: pieces 11 ... 14 and the paint box.
  void ApplySkin(const TSkinLayout& layout, const std::array<QImage, 20>& pictures);

  // Starts showing the lyrics file (the lyrics model is not built yet: the paint box shows
  // the first built-in background).
  void StartLyrics(const QString& lyricsFile);
  void CloseLyricsFile();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  TForm1& FMain;
};

// The five built-in backgrounds from the pictures folder; a missing file gives a plain
// picture of that colour so the window never shows garbage.
std::array<QImage, 5> LoadLyricsBackgrounds(const QString& picturesDir);
