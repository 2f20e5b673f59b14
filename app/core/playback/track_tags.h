// Title and artist of a file as the tag reader chooses them.
#pragma once

#include <QString>

#include <string>

class TMP3Player;

struct TTrackTags {
  QString Title;   // falls back to the file name without its folder
  QString Artist;  // may be empty
};

// Raises the engine's error when the file cannot be opened or holds no MPEG audio.
TTrackTags ReadTrackTags(const QString& fileName);

// The tags the engine read when it opened fileName (no second read of the file).
TTrackTags OpenedTrackTags(const TMP3Player& engine, const QString& fileName);

// A path as the engine takes it (bytes of the local file system encoding).
std::string EnginePath(const QString& fileName);
