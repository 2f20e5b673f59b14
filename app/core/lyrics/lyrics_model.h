// Tkasi, the lyrics model: reads a lyrics file, decides between scroll and timed display, and
// renders white text over a background into the picture the lyrics window shows.
//
// A file whose first line starts with "[" is timed: every line carries a "[mm:ss.xx]" tag and
// its text starts at character 11. Any other file scrolls at the pace of the lyrics clock.
#pragma once

#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

#include <array>
#include <chrono>
#include <functional>
#include <optional>

#include "core/settings/text_lines.h"

inline constexpr int kDefaultKasiBack = 1;
inline constexpr int kKasiBackNone = 100;  // black
inline constexpr int kKasiBackUser = 200;  // the user's picture, stretched
inline constexpr int kDefaultKasiFontSize = 8;
inline constexpr int kBuiltInBackgroundCount = 5;

using TLyricsClock = std::chrono::steady_clock;

// A timed line is shown this much ahead of its tag (0.000012 day), so it is read in time.
inline constexpr std::chrono::microseconds kTimedLead{1036800};

// The time of the "[mm:ss.xx]" tag at the start of line in whole seconds (hundredths are not
// used); nothing when the line carries no such tag. Minutes may be 60 or more.
std::optional<int> TimedLineSeconds(const QString& line);

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
  QString PendingLine;  // timed: the next line, not shown yet
  QString PendingText;  // its text after the tag
  TLyricsClock::time_point StartTime;

  void SetPixelStep(TPixelStep step) { FPixelStep = std::move(step); }

  // A file that cannot be read gives empty lines, so only the background shows.
  void OpenFile(const QString& fileName);
  QString ReadLine() { return FLines.ReadLine(); }
  void CloseFile() { FLines = TLineReader(); }

  // The three pictures at the paint box's size; the text layer starts black.
  void CreatePictures(QSize size);
  // Kinds 1 ... 5 copy the top left of the built-in picture, 200 stretches the user's
  // picture, 100 is black; other kinds leave the background as it is.
  void DrawBackground(const std::array<QImage, kBuiltInBackgroundCount>& builtIn, const QImage& user);
  // Writes text at the bottom of the text layer and refreshes.
  void DrawLine(const QString& text);
  // Composite = background OR text layer (black leaves the background, white stays white).
  void Refresh();
  // Moves the text up one pixel at a time, refreshing after each pixel.
  void Scroll(int pixels);

  // The start: reads the first line and decides the mode; a scrolling file shows it at once.
  void Begin(TLyricsClock::time_point now);

  // One tick of the lyrics clock in scroll mode: one pixel up, and a new line every
  // font size + 3 ticks.
  void ScrollTick();
  // One tick in timed mode: every pending line whose time has come is shown, in order.
  void TimedTick(TLyricsClock::time_point now);
  void Tick(TLyricsClock::time_point now) { Timed ? TimedTick(now) : ScrollTick(); }

  int Ticks() const { return FTicks; }
  // Timed mode: nothing more will be shown.
  bool Finished() const { return Timed && PendingLine.isEmpty(); }

 private:
  QFont TextFont() const;
  void AdvancePending();
  void ShiftTextUp();

  QFont FFace;
  TLineReader FLines;
  TPixelStep FPixelStep;
  int FTicks = 0;
  // A tick runs pending events while it scrolls; a tick arriving meanwhile is skipped (the
  // next one catches up), so no line is shown twice or out of order.
  bool FInTick = false;
};
