// The ranking: how often each title was started, best first, kept in step with the settings
// file (rank_count, rank_listN, rank_pcntN), and written out as history.txt.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class TSettingsFile;

inline const QString kHistoryFileName = QStringLiteral("history.txt");
inline const QString kHistoryHeading = QStringLiteral("★☆★☆★☆　VARO 再生履歴  ★☆★☆★☆★☆");
inline const QString kHistoryRankingLine = QStringLiteral("ランキング");
inline constexpr int kHistoryTitleColumns = 40;

class TRanking {
 public:
  explicit TRanking(TSettingsFile& settings) : FSettings(settings) {}

  // Start-up. A stored count larger than the entries stored reads as the entries stored, so
  // a damaged count neither invents titles nor costs memory.
  void Read();

  // One start of a track titled title: its count rises and it moves up past every entry
  // with a smaller count (among equal counts the one that got there first stays ahead); a
  // new title starts at the end with 1. Every moved position is written at once.
  void CountPlay(const QString& title);

  int RankCount() const { return static_cast<int>(FTitles.size()); }
  const QStringList& RankTitles() const { return FTitles; }
  const QList<int>& RankCounts() const { return FCounts; }

 private:
  void Count(const QString& title);
  void WritePosition(int index);  // zero-based; keys are numbered from 1

  TSettingsFile& FSettings;
  QStringList FTitles;
  QList<int> FCounts;
};

// The bytes of history.txt: the heading, an empty line, "ランキング", then per position
// n "n位:" + the title padded with spaces to 40 bytes (a longer title stays whole) + count.
QByteArray HistoryText(const TRanking& ranking);

// Writes history.txt into folder and returns its path; raises EFileError when it cannot.
QString WriteHistoryFile(const QString& folder, const TRanking& ranking);
