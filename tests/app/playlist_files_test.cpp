// Playlist files (.vrl written and read, .m3u and .m3u8 read), the playlists of a folder, and
// the rules of the playlist window's open command.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "core/playlist/open_selection.h"
#include "formats/playlist_files.h"
#include "formats/text_lines.h"

Q_DECLARE_METATYPE(TOpenKind)

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

const QList<TPlaylistEntry> kTwoEntries{
    {QStringLiteral("/music/一曲目.mp3"), QStringLiteral("一曲目"), QStringLiteral("/lyrics/一.txt"),
     QStringLiteral("7")},
    {QStringLiteral("/music/b.mp3"), QStringLiteral("Title B"), QString(), QString()}};

}  // namespace

class TestPlaylistFiles : public QObject {
  Q_OBJECT

 private slots:
  void vrlOfTwoEntriesIsEightLinesAndReadsBack() {
    const QByteArray bytes = FormatVrl(kTwoEntries);
    QCOMPARE(bytes, QStringLiteral("/music/一曲目.mp3\n一曲目\n/lyrics/一.txt\n7\n"
                                   "/music/b.mp3\nTitle B\n\n\n")
                        .toUtf8());
    QCOMPARE(ParseVrl(bytes), kTwoEntries);
  }

  void aLineBreakInATitleCannotShiftTheFieldsAfterIt() {
    QList<TPlaylistEntry> entries = kTwoEntries;
    entries[0].Title = QStringLiteral("一曲目\r\nsecond line");
    const QList<TPlaylistEntry> read = ParseVrl(FormatVrl(entries));
    QCOMPARE(read.size(), 2);
    QCOMPARE(read[0].Title, QStringLiteral("一曲目  second line"));
    QCOMPARE(read[0].LyricsFile, kTwoEntries[0].LyricsFile);
    QCOMPARE(read[1], kTwoEntries[1]);
  }

  void vrlReadingStopsAtAnEmptyFirstLine_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("entries");
    QTest::newRow("third group after an empty first line")
        << QByteArray("/a.mp3\nA\n\n\n/b.mp3\nB\n\n\n\n/c.mp3\nC\n\n\n") << 2;
    QTest::newRow("CR LF line ends") << QByteArray("/a.mp3\r\nA\r\n\r\n5\r\n\r\n/c.mp3\r\n") << 1;
    QTest::newRow("empty file") << QByteArray() << 0;
    QTest::newRow("file cut inside a group") << QByteArray("/a.mp3\nA") << 1;
    QTest::newRow("starts with an empty line") << QByteArray("\n/a.mp3\nA\n\n\n") << 0;
  }
  void vrlReadingStopsAtAnEmptyFirstLine() {
    QFETCH(QByteArray, bytes);
    QTEST(int(ParseVrl(bytes).size()), "entries");
  }

  void vrlReadsLegacyShiftJisAndCrLf() {
    // "歌詞" in Shift-JIS as the title, CR LF line ends.
    const QByteArray bytes("/m/a.mp3\r\n\x89\xCC\x8E\x8C\r\n/m/a.txt\r\n5\r\n");
    const QList<TPlaylistEntry> entries = ParseVrl(bytes);
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].Title, QStringLiteral("歌詞"));
    QCOMPARE(entries[0].LyricsFile, QStringLiteral("/m/a.txt"));
    QCOMPARE(entries[0].Speed, QStringLiteral("5"));
  }

  void m3uSkipsCommentsResolvesRelativePathsAndStopsAtAnEmptyLine() {
    const QByteArray bytes(
        "#EXTM3U\n"
        "#EXTINF:123,Artist - Title\n"
        "/abs/one.mp3\r\n"
        "sub/two.mp3\n"
        "../up/three.mp3\n"
        "file:///url/four%20x.mp3\n"
        "\n"
        "/after/the/empty/line.mp3\n");
    QCOMPARE(ParseM3u(bytes, QStringLiteral("/lists/mine"), TPlaylistKind::M3u),
             (QStringList{QStringLiteral("/abs/one.mp3"), QStringLiteral("/lists/mine/sub/two.mp3"),
                          QStringLiteral("/lists/up/three.mp3"), QStringLiteral("/url/four x.mp3")}));
  }

  void m3uIsLegacyTextAndM3u8IsUtf8() {
    const QByteArray shiftJis("/m/\x8B\xC8.mp3\n");  // "曲"
    QCOMPARE(ParseM3u(shiftJis, QStringLiteral("/"), TPlaylistKind::M3u),
             QStringList{QStringLiteral("/m/曲.mp3")});
    const QByteArray utf8WithBom = "\xEF\xBB\xBF" + QStringLiteral("/m/曲.mp3\n").toUtf8();
    QCOMPARE(ParseM3u(utf8WithBom, QStringLiteral("/"), TPlaylistKind::M3u8),
             QStringList{QStringLiteral("/m/曲.mp3")});
    QCOMPARE(ParseM3u(utf8WithBom, QStringLiteral("/"), TPlaylistKind::M3u),
             QStringList{QStringLiteral("/m/曲.mp3")});
  }

  void kindsByExactLowerCaseExtension_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::newRow("vrl") << "list.vrl" << int(TPlaylistKind::Vrl);
    QTest::newRow("m3u") << "list.m3u" << int(TPlaylistKind::M3u);
    QTest::newRow("m3u8") << "list.m3u8" << int(TPlaylistKind::M3u8);
    QTest::newRow("upper case") << "LIST.VRL" << int(TPlaylistKind::Other);
    QTest::newRow("placeholder name") << "再生リスト" << int(TPlaylistKind::Other);
  }
  void kindsByExactLowerCaseExtension() {
    QFETCH(QString, name);
    QTEST(int(PlaylistKindOf(name)), "kind");
  }

  void playlistsOfAFolderVrlFirstThenM3u() {
    QTemporaryDir dir;
    for (const char* name : {"b.m3u", "a.m3u8", "z.vrl", "A.vrl", "c.m3u", "x.VRL", "n.txt"})
      WriteFile(dir.filePath(QString::fromLatin1(name)), "x");
    QDir().mkpath(dir.filePath(QStringLiteral("folder.vrl")));
    QCOMPARE(PlaylistFilesIn(dir.path()),
             (QStringList{QStringLiteral("A.vrl"), QStringLiteral("z.vrl"), QStringLiteral("b.m3u"),
                          QStringLiteral("c.m3u"), QStringLiteral("a.m3u8")}));
  }

  void playlistsInTheHomeGoByBareNameOthersByFullPath() {
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    QDir().mkpath(home);
    QCOMPARE(PlaylistName(home, home + QStringLiteral("/mine.vrl")), QStringLiteral("mine.vrl"));
    const QString elsewhere = dir.filePath(QStringLiteral("other/mine.vrl"));
    QCOMPARE(PlaylistName(home, elsewhere), elsewhere);
    QCOMPARE(PlaylistPath(home, QStringLiteral("mine.vrl")), home + QStringLiteral("/mine.vrl"));
    QCOMPARE(PlaylistPath(home, elsewhere), elsewhere);
  }

  void openCommandDecidesByTheFirstFile_data() {
    QTest::addColumn<QStringList>("selection");
    QTest::addColumn<TOpenKind>("kind");
    QTest::addColumn<QStringList>("music");
    const QString mp3 = QStringLiteral("/m/a.MP3");
    const QString wav = QStringLiteral("/m/b.wav");
    QTest::newRow(".MP3 first, .wav second") << QStringList{mp3, wav} << TOpenKind::Music << QStringList{mp3};
    QTest::newRow(".wav first") << QStringList{wav, mp3} << TOpenKind::Nothing << QStringList{mp3};
    QTest::newRow("mixed cases") << QStringList{QStringLiteral("/a.Mp3"), QStringLiteral("/b.mP3"),
                                                QStringLiteral("/c.mp3")}
                                 << TOpenKind::Music
                                 << QStringList{QStringLiteral("/a.Mp3"), QStringLiteral("/b.mP3"),
                                                QStringLiteral("/c.mp3")};
    QTest::newRow("vrl") << QStringList{QStringLiteral("/l/x.vrl")} << TOpenKind::Playlist << QStringList{};
    QTest::newRow("m3u8") << QStringList{QStringLiteral("/l/x.m3u8")} << TOpenKind::Playlist << QStringList{};
    QTest::newRow("upper-case VRL") << QStringList{QStringLiteral("/l/x.VRL")} << TOpenKind::Nothing
                                    << QStringList{};
    QTest::newRow("mp3 inside a folder name")
        << QStringList{QStringLiteral("/a.mp3/b")} << TOpenKind::Nothing << QStringList{};
    QTest::newRow("nothing chosen") << QStringList{} << TOpenKind::Nothing << QStringList{};
  }
  void openCommandDecidesByTheFirstFile() {
    QFETCH(QStringList, selection);
    QTEST(OpenKindOf(selection), "kind");
    QTEST(MusicFilesOf(selection), "music");
  }

  void classicFiltersBecomeQtFilters() {
    QCOMPARE(
        QtFileFilter(QStringLiteral("MP3ファイル(*.mp3),再生リストファイル(*.vrl *.m3u)|*.mp3;*.vrl;*.m3u")),
        QStringLiteral("MP3ファイル(*.mp3),再生リストファイル(*.vrl *.m3u) (*.mp3 *.vrl *.m3u)"));
    QCOMPARE(QtFileFilter(QStringLiteral("歌詞|*.txt|全て|*")), QStringLiteral("歌詞 (*.txt);;全て (*)"));
  }

  void linesEndWithCrLfLfOrCr() {
    QCOMPARE(
        SplitTextLines(QStringLiteral("a\r\nb\nc\rd")),
        (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    QCOMPARE(SplitTextLines(QStringLiteral("a\n\nb\n")),
             (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
    QCOMPARE(SplitTextLines(QString()), QStringList{});
  }
};

QTEST_GUILESS_MAIN(TestPlaylistFiles)
#include "playlist_files_test.moc"
