// Title and artist of a file as the tag reader chooses them.
#pragma once

#include <QString>

struct TTrackTags {
  QString Title;   // falls back to the file name without its folder
  QString Artist;  // may be empty
};

// Raises the engine's error when the file cannot be opened or holds no MPEG audio.
TTrackTags ReadTrackTags(const QString& fileName);

// A path as the engine takes it (bytes of the local file system encoding).
std::string EnginePath(const QString& fileName);
