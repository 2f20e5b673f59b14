// The lyrics clock's interval and the speed column of the playlist, which holds it in steps
// of 100 ms.
#pragma once

#include <QString>

inline constexpr int kLyricsSpeedStepMs = 100;
// Timed lines are lit by the music's position; the clock only looks that often.
inline constexpr int kTimedLyricsIntervalMs = 100;
// Timed lyrics wait for the next line's time, at least and at most this long (the engine's
// position and the clock may drift apart a little).
inline constexpr int kShortestTimedWaitMs = 10;
inline constexpr int kLongestTimedWaitMs = 1000;
inline constexpr int kUnreadableSpeedIntervalMs = 500;

// The interval a scrolling lyrics file runs at: an empty speed cell keeps the current one, a
// cell that is not a number gives 500 ms, a number s gives s x 100 ms (at least 100 ms: the
// clock never runs flat out).
int LyricsIntervalForSpeed(const QString& speedCell, int currentMs);

// The speed buttons: faster stops at 100 ms, slower has no bound.
int FasterLyricsInterval(int currentMs);
int SlowerLyricsInterval(int currentMs);

// What the speed cell holds for an interval.
QString LyricsSpeedCell(int intervalMs);
