#include "core/playback/ranking.h"

#include "core/playlist/text_columns.h"
#include "core/settings/settings_update.h"
#include "formats/atomic_file.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"

void TRanking::Read() {
  FTitles.clear();
  FCounts.clear();
  const int count = FSettings.ReadInteger(kKeyRankCount, 0);
  for (int n = 1; n <= count && FSettings.KeyExists(RankListKey(n)); ++n) {
    FTitles.append(FSettings.ReadString(RankListKey(n), QString()));
    FCounts.append(FSettings.ReadInteger(RankPcntKey(n), 0));
  }
}

void TRanking::WritePosition(int index) {
  FSettings.WriteString(RankListKey(index + 1), FTitles[index]);
  FSettings.WriteInteger(RankPcntKey(index + 1), FCounts[index]);
}

void TRanking::CountPlay(const QString& title) {
  InOneSettingsUpdate(FSettings, [&] { Count(title); });
}

void TRanking::Count(const QString& title) {
  const int found = static_cast<int>(FTitles.indexOf(title));
  if (found < 0) {
    FTitles.append(title);
    FCounts.append(1);
    FSettings.WriteInteger(kKeyRankCount, RankCount());
    WritePosition(RankCount() - 1);
    return;
  }
  ++FCounts[found];
  int q = found;
  while (q > 0 && FCounts[q] > FCounts[q - 1]) {
    FTitles.swapItemsAt(q, q - 1);
    FCounts.swapItemsAt(q, q - 1);
    WritePosition(q - 1);
    WritePosition(q);
    --q;
  }
  if (q == found) WritePosition(found);
}

QByteArray HistoryText(const TRanking& ranking) {
  QByteArray text;
  for (const QString& line : {kHistoryHeading, QString(), kHistoryRankingLine}) {
    text += line.toUtf8();
    text += '\n';
  }
  for (int i = 0; i < ranking.RankCount(); ++i) {
    text += QByteArray::number(i + 1);
    text += QStringLiteral("位:").toUtf8();
    text += PadToColumns(ranking.RankTitles()[i], kHistoryTitleColumns).toUtf8();
    text += QByteArray::number(ranking.RankCounts()[i]);
    text += '\n';
  }
  return text;
}

QString WriteHistoryFile(const QString& folder, const TRanking& ranking) {
  const QString path = folder + u'/' + kHistoryFileName;
  WriteFileAtomically(path, HistoryText(ranking));
  return path;
}
