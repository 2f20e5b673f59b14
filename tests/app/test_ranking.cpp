// The ranking kept in the settings file and the history file written from it.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "byte_limited_text.h"
#include "ranking.h"
#include "settings_file.h"
#include "settings_keys.h"

namespace {

struct TRankingHarness {
  QTemporaryDir Dir;
  TSettingsFile Settings{Dir.filePath(QStringLiteral("varo.ini"))};
  TRanking Ranking{Settings};

  void Play(const QString& title, int times) {
    for (int i = 0; i < times; ++i) Ranking.CountPlay(title);
  }
  // What a fresh start reads back from the file.
  TRanking Reread() {
    TRanking again(Settings);
    again.Read();
    return again;
  }
};

QString Row(int n, const QString& title, int count) {
  return QString::number(n) + QStringLiteral("位:") + QString::fromUtf8(Utf8PadRight(title, 40)) +
         QString::number(count);
}

}  // namespace

class TestRanking : public QObject {
  Q_OBJECT

private slots:
  void equalCountsKeepTheirOrderAndAStrictlyHigherCountRises() {
    TRankingHarness h;
    h.Play(QStringLiteral("A"), 3);
    h.Play(QStringLiteral("B"), 3);
    h.Play(QStringLiteral("C"), 2);
    QCOMPARE(h.Ranking.RankTitles(), (QStringList{"A", "B", "C"}));

    h.Play(QStringLiteral("C"), 1);  // 3 is not more than 3: no exchange
    QCOMPARE(h.Ranking.RankTitles(), (QStringList{"A", "B", "C"}));
    QCOMPARE(h.Ranking.RankCounts(), (QList<int>{3, 3, 3}));
    QCOMPARE(h.Settings.ReadInteger(RankPcntKey(3), 0), 3);

    h.Play(QStringLiteral("C"), 1);  // 4 passes both
    QCOMPARE(h.Ranking.RankTitles(), (QStringList{"C", "A", "B"}));
    QCOMPARE(h.Ranking.RankCounts(), (QList<int>{4, 3, 3}));

    const TRanking again = h.Reread();
    QCOMPARE(again.RankTitles(), h.Ranking.RankTitles());
    QCOMPARE(again.RankCounts(), h.Ranking.RankCounts());
    QCOMPARE(h.Settings.ReadInteger(kKeyRankCount, 0), 3);
  }

  void titlesAreComparedExactly() {
    TRankingHarness h;
    h.Play(QStringLiteral("Song"), 1);
    h.Play(QStringLiteral("song"), 2);
    h.Play(QStringLiteral("Song "), 1);
    QCOMPARE(h.Ranking.RankTitles(), (QStringList{"song", "Song", "Song "}));
    QCOMPARE(h.Reread().RankCounts(), (QList<int>{2, 1, 1}));
  }

  void aDamagedCountReadsAsTheEntriesStored() {
    TRankingHarness h;
    h.Settings.WriteInteger(kKeyRankCount, 2000000000);
    h.Settings.WriteString(RankListKey(1), QStringLiteral("only"));
    h.Settings.WriteInteger(RankPcntKey(1), 4);
    h.Ranking.Read();
    QCOMPARE(h.Ranking.RankCount(), 1);
    h.Play(QStringLiteral("new"), 1);  // the next position is 2, and the count says so
    QCOMPARE(h.Settings.ReadInteger(kKeyRankCount, 0), 2);
    QCOMPARE(h.Settings.ReadString(RankListKey(2), QString()), QStringLiteral("new"));
  }

  void historyFileBytes() {
    TRankingHarness h;
    const QString fortyFive = QStringLiteral("あいうえおかきくけこさしすせそ");  // 45 bytes
    QCOMPARE(fortyFive.toUtf8().size(), 45);
    h.Play(QStringLiteral("A"), 3);
    h.Play(QStringLiteral("B"), 2);
    h.Play(fortyFive, 1);
    const QString path = WriteHistoryFile(h.Dir.path(), h.Ranking);
    QCOMPARE(path, h.Dir.filePath(QStringLiteral("history.txt")));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray expected =
        QStringLiteral("★☆★☆★☆　VARO 再生履歴  ★☆★☆★☆★☆\n\nランキング\n").toUtf8() +
        "1\xE4\xBD\x8D:A" + QByteArray(39, ' ') + "3\n" +
        "2\xE4\xBD\x8D:B" + QByteArray(39, ' ') + "2\n" +
        "3\xE4\xBD\x8D:" + fortyFive.toUtf8() + "1\n";
    QCOMPARE(f.readAll(), expected);
    QCOMPARE(QString::fromUtf8(HistoryText(h.Ranking)).split(u'\n')[4], Row(2, QStringLiteral("B"), 2));
  }

  void anEmptyRankingGivesThreeLines() {
    TRankingHarness h;
    QCOMPARE(HistoryText(h.Ranking).count('\n'), 3);
  }

  void padsToFortyBytesNotCharacters() {
    // Three bytes per kana: 13 of them are 39 bytes, padded by one space.
    const QString kana = QStringLiteral("あいうえおかきくけこさしす");
    QCOMPARE(Utf8PadRight(kana, 40), kana.toUtf8() + ' ');
    QCOMPARE(Utf8PadRight(QString(), 3), QByteArray("   "));
  }

  void anUnwritableFolderRaises() {
    TRankingHarness h;
    QVERIFY_THROWS_EXCEPTION(std::exception,
                             WriteHistoryFile(h.Dir.filePath(QStringLiteral("missing/folder")), h.Ranking));
  }
};

QTEST_GUILESS_MAIN(TestRanking)
#include "test_ranking.moc"
