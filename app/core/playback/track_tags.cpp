#include "core/playback/track_tags.h"

#include <QFile>

#include "stream/mp3_info.h"
#include "player/mp3_player.h"

std::string EnginePath(const QString& fileName) { return QFile::encodeName(fileName).toStdString(); }

TTrackTags ReadTrackTags(const QString& fileName) {
  TMP3Info info;
  TMP3Player::ReadFileInfo(EnginePath(fileName), info);
  return {QString::fromStdString(info.Title()), QString::fromStdString(info.Artist())};
}
