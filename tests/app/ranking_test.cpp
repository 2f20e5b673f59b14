// The ranking kept in the settings file and the history file written from it.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "core/playback/ranking.h"
#include "core/playlist/text_columns.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"

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

  void historyFilePadsTitlesTo40Columns() {
    TRankingHarness h;
    // Two columns a kana, as in the fixed-width list the file is read in.
    const QString wide = QStringLiteral("あいうえおかきくけこさしすせそたちつてとな");  // 42 columns
    h.Play(QStringLiteral("A"), 3);
    h.Play(QStringLiteral("あいう"), 2);
    h.Play(wide, 1);
    const QString path = WriteHistoryFile(h.Dir.path(), h.Ranking);
    QCOMPARE(path, h.Dir.filePath(QStringLiteral("history.txt")));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray expected = QStringLiteral("★☆★☆★☆　VARO 再生履歴  ★☆★☆★☆★☆\n\nランキング\n").toUtf8() +
                                "1\xE4\xBD\x8D:A" + QByteArray(39, ' ') + "3\n" +
                                QStringLiteral("2位:あいう").toUtf8() + QByteArray(34, ' ') + "2\n" +
                                "3\xE4\xBD\x8D:" + wide.toUtf8() + "1\n";
    QCOMPARE(f.readAll(), expected);
  }

  void anEmptyRankingGivesThreeLines() {
    TRankingHarness h;
    QCOMPARE(HistoryText(h.Ranking).count('\n'), 3);
  }

  void displayColumns() {
    QCOMPARE(DisplayColumns(QStringLiteral("aあＡｱ　")),
             1 + 2 + 2 + 1 + 2);  // fullwidth A, halfwidth kana, ideographic space
    QCOMPARE(DisplayColumns(QStringLiteral("か\u3099")), 2);  // a kana and its combining voiced mark
    QCOMPARE(DisplayColumns(QStringLiteral("한글")), 4);
    QCOMPARE(DisplayColumns(QString::fromUcs4(U"\U00020B9F")), 2);  // beyond the basic plane
    QCOMPARE(PadToColumns(QStringLiteral("あいうえおかきくけこさしす"), 40),
             QStringLiteral("あいうえおかきくけこさしす") + QString(14, u' '));
    QCOMPARE(PadToColumns(QString(), 3), QStringLiteral("   "));
    QCOMPARE(PadToColumns(QString(41, u'x'), 40), QString(41, u'x'));
    QCOMPARE(ColumnPrefix(QStringLiteral("aあい"), 4), QStringLiteral("aあ"));
  }

  void anUnwritableFolderRaises() {
    TRankingHarness h;
    QVERIFY_THROWS_EXCEPTION(std::exception,
                             WriteHistoryFile(h.Dir.filePath(QStringLiteral("missing/folder")), h.Ranking));
  }
};

QTEST_GUILESS_MAIN(TestRanking)
#include "ranking_test.moc"
