// The keys of varo.ini and their defaults.
#pragma once

#include <QString>

inline const QString kKeySkin = QStringLiteral("skin");
inline const QString kKeyWindow = QStringLiteral("window");
inline const QString kKeyWindowX = QStringLiteral("window_x");
inline const QString kKeyWindowY = QStringLiteral("window_y");
inline const QString kKeyRepeat = QStringLiteral("repeat");
inline const QString kKeyMax = QStringLiteral("max");
inline const QString kKeyList = QStringLiteral("list");
inline const QString kKeyStayTop = QStringLiteral("staytop");
inline const QString kKeyRankCount = QStringLiteral("rank_count");
inline const QString kKeyRankList = QStringLiteral("rank_list");
inline const QString kKeyRankPcnt = QStringLiteral("rank_pcnt");
inline const QString kKeyLastMusicNumber = QStringLiteral("last_music_number");
// Where the current track was at exit, in ms: start-up resumes there.
inline const QString kKeyLastMusicPosition = QStringLiteral("last_music_position");
// 1 (the default): tracks follow each other without a gap, the encoder's padding left out.
inline const QString kKeyGapless = QStringLiteral("gapless");
// 1: the main window counts the time left instead of the time played.
inline const QString kKeyTimeRemaining = QStringLiteral("time_remaining");
inline const QString kKeyListFileName = QStringLiteral("listfilename");
inline const QString kKeyOpenDir = QStringLiteral("opendir");
inline const QString kKeyKasiBack = QStringLiteral("kasi_back");
inline const QString kKeyKasiBackFile = QStringLiteral("kasi_back_file");
inline const QString kKeyKasiFontSize = QStringLiteral("kasi_font_size");

// The name of an unnamed list: no playlist file belongs to the queue.
inline const QString kUnnamedListName = QStringLiteral("再生リスト");

inline constexpr int kDefaultWindowPos = 100;
inline constexpr int kDefaultRepeat = 2;

inline QString ListKey(int n) { return kKeyList + QString::number(n); }
inline QString RankListKey(int n) { return kKeyRankList + QString::number(n); }
inline QString RankPcntKey(int n) { return kKeyRankPcnt + QString::number(n); }
