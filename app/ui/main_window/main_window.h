// Form1, the main window over the player session: the title labels, the track's time and
// progress line, the transport buttons and PopupMenu1; it runs the start-up and exit sequences, the skin, the
// tray and the dialogs, and places and shows the playlist and lyrics windows (they never reach back into it).
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

#include "core/playback/sleep_timer.h"
#include "core/playlist/playlist_service.h"
#include "formats/skin_windows.h"
#include "ui/main_window/main_popup_menu.h"

class QLabel;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TFormRgn;
class TImageButton;
class TPlayerSession;
class TProgressLine;
class TTimeLabel;
class TTaskTray;
class TWindowDragger;
struct TSkinLayout;

// Parts of LoadSkin.
inline constexpr int kSkinMain = 1;
inline constexpr int kSkinPlaylist = 2;
inline constexpr int kSkinLyrics = 4;

inline const QString kMissingSkinText = QStringLiteral("SKINファイルが存在しません");

// Form1 (the original design's name): the main window. Its controls are found by their
// object names (FR1, Label1, Image1, Timer2, TaskTray1, ...).
class TForm1 : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = kMainWindowClient.width();
  static constexpr int kClientHeight = kMainWindowClient.height();
  static constexpr int kDefaultLabelPixels = 16;

  explicit TForm1(TPlayerSession& session);
  ~TForm1() override;

  // The start-up sequence. False when the program must end (the standard skin is missing;
  // the error box has been shown).
  bool FormCreate();
  // The other windows, created after this one: placed, shown and skinned from here.
  void AttachWindows(TForm2* form2, TForm3* form3, TForm4* form4, TForm5* form5, TForm6* form6);

  TPlayerSession& Session() const { return FSession; }
  TMainPopupMenu& Menu() { return FMenu; }
  bool HiddenInTray() const { return FHiddenInTray; }

  // The deferred skin load of the playlist and lyrics windows: held until the windows it
  // skins exist, then let run.
  void HoldDeferredSkinLoad();
  void StartDeferredSkinLoad();
  // Runs the deferred load of the lyrics skin unless it already ran, and of the playlist
  // skin once the playlist window is shown.
  void RunDeferredSkinLoad();
  // What the user asked to open at start is the list: the first showing of the playlist
  // window does not replace it with the stored one.
  void KeepStartList() { FPlaylistPending = false; }

  void LoadSkin(const QString& name, int parts);
  void BuildSongMenu();
  void BuildPlaylistMenu();
  void ShowLyricsWindow();

  // Commands.
  // Files dropped on the main window (or named at start, as if dropped): the playlist window
  // shows them.
  void FilesDropped(const QStringList& paths, TAddPolicy policy = TAddPolicy::MainWindowDrop);
  void TogglePlaylistWindow();
  void ChoosePlayMode(int mode);
  void SetStayOnTop(bool on);
  void ExitProgram();  // Exit1, Image9: the queue, index and position are written first
  // What the exit writes: the queue, the current index and the window position.
  void WriteExitState();
  void ToggleTaskTray();  // N1, Image10
  void HideToTray();
  void RestoreFromTray();
  void WriteHistory();  // N8
  void Timer2Timer();   // the sleep timer check

  // A track started: the labels and the tray tip.
  void ShowTrack(const QString& title, const QString& artist);
  // The time text and the progress line from the engine's position and length.
  void ShowTime();
  void ToggleRemaining();
  // Seeks through the session; a stream that cannot seek just plays on.
  void SeekQuietly(qint64 ms);
  void StepBy(qint64 deltaMs);  // the wheel and the arrow keys

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  friend struct TForm1TestAccess;  // the tests' look at the state behind the controls

  void CreateControls();
  void CreateTimeControls();
  void ConnectSession();
  void ConnectTime();
  void ConnectMenu();
  void ConnectButtons();
  void ApplyMainSkin(const TSkinLayout& layout, const std::array<QImage, 20>& pictures);
  void ApplyTimeSkin(const TSkinLayout& layout);
  void FillSkinMenu();
  void PlacePlaylistWindow();
  void Timer3Timer();
  void CreateTaskTray();
  void SetTrayTip(const QString& title);
  void ConnectDialogs();
  void ShowVersionDialog();
  void ShowSleepTimerDialog();
  void ShowIntroTimeDialog();

  TPlayerSession& FSession;

  // Controls.
  TFormRgn* FR1;                // the skin background that shapes the window
  QLabel* Label1;               // title
  QLabel* Label2;               // artist
  QLabel* Label3;               // title shadow
  QLabel* Label4;               // artist shadow
  TImageButton* Image1;         // play
  TImageButton* Image2;         // stop
  TImageButton* Image3;         // pause
  TImageButton* Image11;        // previous
  TImageButton* Image12;        // next
  TImageButton* Image8;         // playlist
  TImageButton* Image10;        // minimise
  TImageButton* Image9;         // exit
  TImageButton* Image14;        // version
  TTimeLabel* TimeLabel;        // elapsed or remaining time; a click switches
  TProgressLine* ProgressLine;  // the track; a click, a drag or the wheel seeks
  QImage Image6;                // the playlist window's background
  QTimer* Timer2;               // sleep timer check
  QTimer* Timer3;               // deferred skin load
  std::unique_ptr<TTaskTray> TaskTray1;

  // The other windows.
  TForm2* Form2 = nullptr;  // playlist
  TForm3* Form3 = nullptr;  // version
  TForm4* Form4 = nullptr;  // sleep timer
  TForm5* Form5 = nullptr;  // lyrics
  TForm6* Form6 = nullptr;  // intro time

  // State.
  TMainPopupMenu FMenu;
  TWindowDragger* FDragger = nullptr;
  bool FPlaylistPending = false;      // the playlist window has not opened yet: it takes the list
  bool FDeferredSkinDone = false;     // the lyrics window has its skin
  bool FPlaylistSkinPending = false;  // the playlist window gets its skin when first shown
  bool FHiddenInTray = false;
  bool FShowRemaining = false;  // the time text counts down (kept as time_remaining)
  bool FExitStateWritten = false;
  TSleepTimer FSleepTimer;                                   // the minute Timer2 waits for
  std::function<QTime()> FSleepClock = &QTime::currentTime;  // the time Timer2 checks
};
