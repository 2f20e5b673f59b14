// The rules of the track's time as the main window shows and moves it: the time text, the
// seek targets of the progress line, the wheel and the keys, and the resume position.
#pragma once

#include <QString>

// One wheel notch or one arrow key moves this far.
inline constexpr qint64 kSeekStepMs = 5000;

// Elapsed "m:ss", or the time left "-m:ss" when remaining. Tracks of an hour or more (or an
// elapsed time that reached one while the length is unknown) show "h:mm:ss", so the text
// keeps its width through the track. Elapsed seconds are cut, remaining ones rounded up: the
// two always add up to the length. Without a length the time counts up.
QString FormatTrackTime(qint64 positionMs, qint64 lengthMs, bool remaining);

// A step of deltaMs from positionMs, held inside the track.
qint64 StepTarget(qint64 positionMs, qint64 deltaMs, qint64 lengthMs);

// Where a point x of a progress line `width` pixels wide lies in a track of lengthMs.
qint64 ProgressTarget(int x, int width, qint64 lengthMs);

// The pixels of the line that show positionMs as played.
int ProgressPixels(qint64 positionMs, qint64 lengthMs, int width);

// The stored position of the resumed track, when it lies inside the track; otherwise the
// track starts from its beginning.
qint64 ResumePosition(qint64 storedMs, qint64 lengthMs);
