// The lyrics of the playing track: starts a lyrics model for the entry's lyrics file, drives
// it from the lyrics clock, and carries out the lyrics window's background, font and speed
// choices, keeping kasi_back, kasi_back_file and kasi_font_size in the settings file.
#pragma once

#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "core/lyrics/lyrics_model.h"
#include "lyrics/lyrics_playhead.h"

class QTimer;
class TSettingsFile;

class TLyricsDisplay {
 public:
  // What the display needs of the window: the paint box's size, a repaint when the picture
  // changed, the step after every scrolled pixel (show it at once, let events run), and the
  // engine's position in ms (none, or 0: the engine cannot tell).
  struct TView {
    std::function<QSize()> PaintBoxSize;
    std::function<void()> Update;
    std::function<void()> PixelStep;
    std::function<qint64()> Position;
    // Before a built-in background (kind 1 ... 5) or another kind is drawn: the window keeps
    // only the picture in use decoded.
    std::function<void(int kind)> PrepareBackground;
  };

  TLyricsDisplay(TSettingsFile& settings, QTimer& clock,
                 const std::array<QImage, kBuiltInBackgroundCount>& builtIn, QImage& userPicture, QFont face,
                 TView view);

  // StartLyrics: a new model (the previous one lives on while a scroll still uses it), the
  // background and font size from the settings, the first line, the clock's interval (from
  // the entry's speed cell when scrolling, 100 ms when timed) and the clock started.
  // lyricsFile equal to track: the lyrics in the track's tags.
  void Start(const QString& lyricsFile, const QString& speedCell, TLyricsClock::time_point now,
             const QString& track = QString());
  // Timer1Timer.
  void Tick(TLyricsClock::time_point now);
  // Pause and resume of the music: a clock that ran at the pause runs again on resume, and
  // timed lines fall due that much later.
  void Pause(TLyricsClock::time_point now);
  void Resume(TLyricsClock::time_point now);
  // The music went to ms: timed lyrics show the line due there at once.
  void Seek(qint64 ms, TLyricsClock::time_point now);
  void CloseFile();

  // The background menu: 1 ... 5 built in, 100 none. The choice is kept in the settings
  // also before any lyrics have started, and applies from the next start.
  void ChooseBackground(int kind);
  // "その他": the user's picture, stretched.
  void ChooseUserBackground(const QString& pictureFile);
  // The font dialog's size; the text layer starts empty.
  void ChooseFontSize(int size);

  // The speed buttons; both return what the entry's speed cell holds now.
  QString Faster();
  QString Slower();

  const std::shared_ptr<Tkasi>& Model() const { return FModel; }

 private:
  void ApplyToModel(const std::function<void(Tkasi&)>& change);
  void DrawBackground(Tkasi& model);
  int64_t PlayheadAt(TLyricsClock::time_point now) const;
  void WaitForNextLine(const Tkasi& model, int64_t atMs);

  TSettingsFile& FSettings;
  QTimer& FClock;
  const std::array<QImage, kBuiltInBackgroundCount>& FBuiltIn;
  QImage& FUserPicture;
  QFont FFace;
  TView FView;
  std::shared_ptr<Tkasi> FModel;
  bool FClockPaused = false;  // the clock ran when the music paused
  TLyricsPlayhead FPlayhead;
};

// Loads a picture into target; a file that cannot be read leaves target as it was.
bool LoadPictureKeeping(QImage& target, const QString& fileName);
