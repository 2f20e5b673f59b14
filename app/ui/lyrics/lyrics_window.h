// Form5, the lyrics window: the lyrics paint box over the skin background fr5, the close and
// speed buttons, the background and font menu, and the five built-in lyrics backgrounds. It
// takes the session: its lyrics start, pause and stop with the session's signals and run on
// the session's lyrics clock; the speed buttons set the current entry's speed, and a click on a
// timed line plays from there.
#pragma once

#include <QImage>
#include <QWidget>

#include <array>
#include <memory>

#include "core/lyrics/lyrics_model.h"
#include "formats/skin_windows.h"

class QAction;
class QActionGroup;
class QMenu;
class TFormRgn;
class TImageButton;
class TLyricsDisplay;
class TPlayerSession;
struct TSkinLayout;

inline const QString kBackgroundFilter = QStringLiteral("背景画像ファイル(bmp)|*.bmp");

// Form5 (the original design's name): the lyrics window.
class TForm5 : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = kLyricsWindowClient.width();
  static constexpr int kClientHeight = kLyricsWindowClient.height();

  // parent: the window that owns this one as a tool window (the main window), or none.
  explicit TForm5(TPlayerSession& session, QWidget* parent = nullptr);
  ~TForm5() override;

  TFormRgn* fr5;                                    // the skin background that shapes the window
  QWidget* pb1;                                     // the lyrics paint box
  TImageButton* Image9;                             // close
  TImageButton* Image15;                            // faster
  TImageButton* Image16;                            // slower
  QImage Image1;                                    // the skin background, copied into fr5
  std::array<QImage, kBuiltInBackgroundCount> img;  // img1 ... img5, built in (270 x 157), the one in use
  QImage img200;                                    // the user's background
  QMenu* PopupMenu1;
  QMenu* O1;       // background submenu
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

  // StartLyrics for the entry's lyrics file and its speed; Timer1 is the session's.
  void StartLyrics(const QString& lyricsFile, const QString& speedCell);
  void CloseLyricsFile();
  // One tick of the session's Timer1.
  void LyricsTick();
  void PauseLyrics();
  void ResumeLyrics();
  TLyricsDisplay& Lyrics() { return *FLyrics; }

  // The menu and button commands.
  void ChooseBackground(int kind);
  void N4Click();         // a background picture file
  void Font1Click();      // the font size
  void Image15Click();    // faster: the current entry's speed
  void Image16Click();    // slower: the current entry's speed
  void LineClick(int y);  // timed lyrics: play from the line at height y of pb1

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void WriteSpeedCell(const QString& text);
  void KeepBackground(int kind);

  TPlayerSession& FSession;
  QActionGroup* FBackgrounds;
  QAction* FChosenBackground = nullptr;  // the last background confirmed
  std::unique_ptr<TLyricsDisplay> FLyrics;
};

// Built-in background index (0 ... 4) from the pictures folder; a missing file gives a plain
// picture of that colour so the window never shows garbage.
QImage LoadLyricsBackground(const QString& picturesDir, size_t index);
