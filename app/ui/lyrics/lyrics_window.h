// Form5, the lyrics window: the lyrics paint box over the skin background fr5, the close and
// speed buttons, the background and font menu, and the five built-in lyrics backgrounds.
#pragma once

#include <QImage>
#include <QWidget>

#include <array>
#include <memory>

#include "core/lyrics/lyrics_model.h"
#include "core/skin/skin_windows.h"

class QAction;
class QActionGroup;
class QMenu;
class TForm1;
class TFormRgn;
class TImageButton;
class TLyricsSession;
struct TSkinLayout;

inline const QString kBackgroundFilter = QStringLiteral("背景画像ファイル(bmp)|*.bmp");

class TForm5 : public QWidget {
  Q_OBJECT

public:
  static constexpr int kClientWidth = kLyricsWindowClient.width();
  static constexpr int kClientHeight = kLyricsWindowClient.height();

  explicit TForm5(TForm1& main);
  ~TForm5() override;

  TFormRgn* fr5;
  QWidget* pb1;
  TImageButton* Image9;   // close
  TImageButton* Image15;  // faster
  TImageButton* Image16;  // slower
  QImage Image1;          // the skin background, copied into fr5
  std::array<QImage, kBuiltInBackgroundCount> img;  // img1 ... img5, built in (270 x 157)
  QImage img200;                                     // the user's background
  QMenu* PopupMenu1;
  QMenu* O1;  // background submenu
  QAction* N1;     // pink
  QAction* N2;     // blue
  QAction* iero1;  // green
  QAction* N5;     // red
  QAction* N6;     // orange
  QAction* N4;     // a picture file
  QAction* N3;     // none
  QAction* Font1;

  // The lyrics part of a skin: pieces 11 ... 14 and the paint box.
  void ApplySkin(const TSkinLayout& layout, const std::array<QImage, 20>& pictures);

  // StartLyrics for the entry's lyrics file and its speed cell; Timer1 is the main window's.
  void StartLyrics(const QString& lyricsFile, const QString& speedCell);
  void CloseLyricsFile();
  // One tick of Timer1.
  void LyricsTick();
  void PauseLyrics();
  void ResumeLyrics();
  TLyricsSession& Session() { return *FSession; }

  // The menu and button commands.
  void ChooseBackground(int kind);
  void N4Click();
  void Font1Click();
  void Image15Click();
  void Image16Click();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void WriteSpeedCell(const QString& text);

  TForm1& FMain;
  QActionGroup* FBackgrounds;
  QAction* FChosenBackground = nullptr;  // the last background confirmed
  std::unique_ptr<TLyricsSession> FSession;
};

// The five built-in backgrounds from the pictures folder; a missing file gives a plain
// picture of that colour so the window never shows garbage.
std::array<QImage, kBuiltInBackgroundCount> LoadLyricsBackgrounds(const QString& picturesDir);
