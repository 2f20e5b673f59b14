// Form1, the main window and the application: it owns the settings file, the engine, the
// queue and the timers, runs the start-up and exit sequences, and drives the other windows.
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

#include "ui/main_window/main_popup_menu.h"
#include "core/playback/queue_player.h"
#include "core/playback/sleep_timer.h"
#include "core/skin/skin_windows.h"

class QLabel;
class TEngineMessagePump;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TFormRgn;
class TImageButton;
class TMP3Player;
class TRanking;
class TSettingsFile;
class TTaskTray;
class TWindowDragger;
struct TSkinLayout;

// Parts of LoadSkin.
inline constexpr int kSkinMain = 1;
inline constexpr int kSkinPlaylist = 2;
inline constexpr int kSkinLyrics = 4;

inline const QString kMissingSkinText = QStringLiteral("SKINファイルが存在しません");

class TForm1 : public QWidget, public TQueuePlayerHost {
  Q_OBJECT

public:
  static constexpr int kClientWidth = kMainWindowClient.width();
  static constexpr int kClientHeight = kMainWindowClient.height();
  static constexpr int kDefaultLabelPixels = 16;

  explicit TForm1(const QString& home);
  ~TForm1() override;

  // The start-up sequence. False when the program must end (the standard skin is missing;
  // the error box has been shown).
  bool FormCreate();
  // The other windows, created after this one.
  void AttachWindows(TForm2* form2, TForm3* form3, TForm4* form4, TForm5* form5, TForm6* form6);

  const QString& Home() const { return FHome; }
  TSettingsFile& Settings() { return *FSettings; }
  TMP3Player& mp3() { return *Fmp3; }
  TQueuePlayer& Player() { return *FPlayer; }
  TMainPopupMenu& Menu() { return FMenu; }
  TPlayQueue& Queue() { return FPlayer->Queue; }

  // Controls.
  TFormRgn* FR1;
  QLabel* Label1;  // title
  QLabel* Label2;  // artist
  QLabel* Label3;  // title shadow
  QLabel* Label4;  // artist shadow
  TImageButton* Image1;   // play
  TImageButton* Image2;   // stop
  TImageButton* Image3;   // pause
  TImageButton* Image11;  // previous
  TImageButton* Image12;  // next
  TImageButton* Image8;   // playlist
  TImageButton* Image10;  // minimise
  TImageButton* Image9;   // exit
  TImageButton* Image14;  // version
  QImage Image6;          // the playlist window's background
  QTimer Timer1;          // lyrics clock
  QTimer Timer2;          // sleep timer check
  QTimer Timer3;          // deferred skin load
  QTimer& intro_timer() { return FPlayer->intro_timer; }
  std::unique_ptr<TTaskTray> TaskTray1;

  // State.
  QString ListFileName;
  bool FirstStart = false;  // the home had no settings file before this start
  bool PlaylistPending = false;
  bool DeferredSkinDone = false;
  bool LyricsActive = false;
  bool HiddenInTray = false;
  QString LyricsFileName;
  TSleepTimer SleepTimer;  // the minute Timer2 waits for
  std::function<QTime()> SleepClock = &QTime::currentTime;  // replaced by tests

  // Operations other windows use.
  void LoadSkin(const QString& name, int parts);
  void PlayEntry(int index) { FPlayer->PlayEntry(index); }
  void AppendToQueue(const QString& path);  // queue and playlist grid
  void BuildSongMenu() override;
  void BuildPlaylistMenu();
  void CountPlay(const QString& title) override;
  void ShowLyricsWindow();
  void StartLyrics();
  // Runs the deferred load of the playlist and lyrics skins unless it already ran.
  void RunDeferredSkinLoad();

  // Commands.
  void FilesDropped(const QStringList& paths);
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
  void Timer1Timer();   // the lyrics clock
  void Timer2Timer();   // the sleep timer check
  const TRanking& Ranking() const { return *FRanking; }
  // The demo track with its lyrics, queued and started (a start without files to play).
  void QueueDemoTrack(const QString& mp3File, const QString& lyricsFile);

  // TQueuePlayerHost
  void ShowTrack(const QString& title, const QString& artist) override;
  void StartEntryLyrics(const QString& lyricsFile) override;
  void DropLyrics() override;
  void StopLyrics() override;
  void PauseLyrics() override;
  void ResumeLyrics() override;

  TForm2* Form2 = nullptr;
  TForm3* Form3 = nullptr;
  TForm4* Form4 = nullptr;
  TForm5* Form5 = nullptr;
  TForm6* Form6 = nullptr;

protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void CreateControls();
  void ConnectMenu();
  void ConnectButtons();
  void ApplyMainSkin(const TSkinLayout& layout, const std::array<QImage, 20>& pictures);
  void FillSkinMenu();
  void PlacePlaylistWindow();
  void Timer3Timer();
  void ReadRanking();
  void CreateTaskTray();
  void SetTrayTip(const QString& title);
  void ConnectDialogs();
  void ShowVersionDialog();
  void ShowSleepTimerDialog();
  void ShowIntroTimeDialog();

  QString FHome;
  std::unique_ptr<TSettingsFile> FSettings;
  std::unique_ptr<TMP3Player> Fmp3;
  std::unique_ptr<TEngineMessagePump> FPump;
  std::unique_ptr<TQueuePlayer> FPlayer;
  std::unique_ptr<TRanking> FRanking;
  TMainPopupMenu FMenu;
  TWindowDragger* FDragger = nullptr;
  bool FExitStateWritten = false;
};
