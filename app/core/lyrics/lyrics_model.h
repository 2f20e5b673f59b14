// Tkasi, the lyrics model: reads the lyrics of a track, decides between scroll and timed
// display, and renders the picture the lyrics window shows.
//
// Lyrics with time tags are timed: the line due at the music's position is lit, the lines
// before it dim, the ones after it wait below. Any other text scrolls white over the
// background at the pace of the lyrics clock.
#pragma once

#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "formats/text_lines.h"
#include "lyrics/lyrics_text.h"

inline constexpr int kDefaultKasiBack = 1;
inline constexpr int kKasiBackNone = 100;  // black
inline constexpr int kKasiBackUser = 200;  // the user's picture, stretched
inline constexpr int kDefaultKasiFontSize = 8;
inline constexpr int kBuiltInBackgroundCount = 5;

using TLyricsClock = std::chrono::steady_clock;

// Tkasi (the original design's name, "kasi" for lyrics): the lyrics model of one file.
class Tkasi {
 public:
  // Run after every pixel of a scroll: the window shows the picture and lets pending events
  // run, so a long scroll keeps the program responsive.
  using TPixelStep = std::function<void()>;

  Tkasi(int backKind, int fontSize, const QFont& face);

  int BackKind;
  QString BackFile;
  int FontSize;
  QImage Composite;   // what the paint box shows
  QImage Background;  // the chosen background
  QImage TextLayer;   // white text on black
  bool Timed = false;
  QString PendingText;  // timed: the text of the next line, not shown yet

  void SetPixelStep(TPixelStep step) { FPixelStep = std::move(step); }

  // The lyrics file, or with lyricsFile equal to track the lyrics in the track's tags. A
  // file that cannot be read gives empty lines, so only the background shows.
  void OpenFile(const QString& fileName, const QString& track = QString());
  void Load(const TLyricsText& lyrics);
  QString ReadLine() { return FLines.ReadLine(); }
  void CloseFile() { FLines = TLineReader(); }

  // The three pictures at the paint box's size; the text layer starts black.
  void CreatePictures(QSize size);
  // Kinds 1 ... 5 copy the top left of the built-in picture, 200 stretches the user's
  // picture, 100 is black; other kinds leave the background as it is.
  void DrawBackground(const std::array<QImage, kBuiltInBackgroundCount>& builtIn, const QImage& user);
  // Writes text at the bottom of the text layer and refreshes.
  void DrawLine(const QString& text);
  // Scroll mode: composite = background OR text layer (black leaves the background, white
  // stays white). Timed mode: the lines around the current one over the background.
  void Refresh();
  // Moves the text up one pixel at a time, refreshing after each pixel.
  void Scroll(int pixels);

  // The start: a scrolling text shows its first line at once, timed lyrics their start.
  void Begin();

  // One tick of the lyrics clock in scroll mode: one pixel up, and a new line every
  // font size + 3 ticks.
  void ScrollTick();
  // Timed mode: the music is at ms; the line due then is lit (a seek may go either way).
  // True when the picture changed.
  bool ShowAt(int64_t ms);

  int Ticks() const { return FTicks; }
  int CurrentLine() const { return FCurrent; }  // timed: -1 before the first line
  const TLyricsText& Lyrics() const { return FLyrics; }
  // Timed mode: the last line is lit, nothing more will be shown.
  bool Finished() const { return Timed && FCurrent + 1 >= static_cast<int>(FLyrics.TimedLines.size()); }
  // Timed mode: when the line after the lit one falls due (none after the last line).
  std::optional<int64_t> NextLineMs() const;
  // Timed mode: the time of the line drawn at height y of the picture.
  std::optional<int64_t> LineTimeAt(int y) const;

 private:
  QFont TextFont() const;
  int LineHeight() const { return FontSize + 5; }
  int CurrentRowTop() const;
  void RenderTimed();
  void ShiftTextUp();

  QFont FFace;
  TLyricsText FLyrics;
  std::vector<QString> FTimedTexts;
  int FCurrent = -1;
  TLineReader FLines;
  TPixelStep FPixelStep;
  int FTicks = 0;
  // A tick runs pending events while it scrolls; a tick arriving meanwhile is skipped (the
  // next one catches up), so no line is shown twice or out of order.
  bool FInTick = false;
};
