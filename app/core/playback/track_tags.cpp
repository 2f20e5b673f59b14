#include "core/playback/track_tags.h"

#include <QFile>

#include "player/mp3_player.h"
#include "stream/mp3_info.h"

std::string EnginePath(const QString& fileName) { return QFile::encodeName(fileName).toStdString(); }

TTrackTags ReadTrackTags(const QString& fileName) {
  TMP3Info info;
  TMP3Player::ReadFileInfo(EnginePath(fileName), info);
  return {QString::fromStdString(info.Title()), QString::fromStdString(info.Artist())};
}

TTrackTags OpenedTrackTags(const TMP3Player& engine, const QString& fileName) {
  TTrackTags tags{QString::fromStdString(engine.Info().Title()),
                  QString::fromStdString(engine.Info().Artist())};
  // The engine's info names no file, so its fallback title is empty: the file name without
  // its folder, as a read of the file alone gives (ReadTrackTags).
  if (tags.Title.isEmpty()) {
    const std::string path = EnginePath(fileName);
    const size_t slash = path.find_last_of('/');
    tags.Title = QString::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1));
  }
  return tags;
}
