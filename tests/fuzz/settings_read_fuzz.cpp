// Fuzz target: varo.ini as the application reads and writes it. The bytes are the settings
// file in a temporary folder; every key of the application and every key the file seems to
// hold is read, then one key of the application is written. Nothing may be lost by the
// write: the file read afresh gives every other key as before and the written value back,
// and keeps every line it had (line ends aside), only the written key's line changed or
// added (with its section, when the file had none).
//
// Input: the file bytes, then a 2-byte control trailer:
//   0  the key written: one of kAppKeys, or a numbered one (list, rank_list, rank_pcnt) for
//      values past them
//   1  bits 0-2 the value written (see ValueFor); bit 3 the write inside an update
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "formats/settings_file.h"
#include "formats/settings_keys.h"
#include "fuzz_input.h"
#include "fuzz_temp_dir.h"

namespace {

constexpr size_t kControlBytes = 2;
constexpr size_t kMaxInput = 4096 + kControlBytes;
// Each read scans the file: the keys read are bounded, or long files cost the square.
constexpr qsizetype kMaxFileKeys = 32;

const QString kMissing = QStringLiteral("\x01missing");

const std::vector<QString>& AppKeys() {
  static const std::vector<QString> keys{
      kKeySkin,    kKeyWindow,   kKeyWindowX,      kKeyWindowY,         kKeyRepeat,
      kKeyMax,     kKeyStayTop,  kKeyRankCount,    kKeyLastMusicNumber, kKeyListFileName,
      kKeyOpenDir, kKeyKasiBack, kKeyKasiBackFile, kKeyKasiFontSize};
  return keys;
}

QString WrittenKey(uint8_t choice) {
  if (choice < AppKeys().size()) return AppKeys()[choice];
  const int n = choice % 8;  // 0 is no key the application writes, but a name all the same
  switch (choice % 3) {
    case 0:
      return ListKey(n);
    case 1:
      return RankListKey(n);
    default:
      return RankPcntKey(n);
  }
}

// Lines as the file holds them, for the comparison: UTF-8, without one byte-order mark, split
// at LF, the piece after the last LF dropped when the reader drops it (nothing or one CR), and
// then without the CRs at line ends. A last line of CRs alone is a line to the reader: it gets
// its LF on a write and must count the same before and after.
QStringList FileLines(const QByteArray& bytes) {
  QStringDecoder decode(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
  QString text = decode(bytes);
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  QStringList lines = text.split(u'\n');
  if (!lines.isEmpty() && (lines.back().isEmpty() || lines.back() == u"\r")) lines.removeLast();
  for (QString& line : lines)
    while (line.endsWith(u'\r')) line.chop(1);
  return lines;
}

// Values the application writes: names, numbers, paths, tag titles (which may hold anything).
QString ValueFor(uint8_t choice, const QStringList& lines) {
  switch (choice & 7) {
    case 0:
      return QStringLiteral("sakura");
    case 1:
      return QStringLiteral("-2147483648");
    case 2:
      return QStringLiteral("/home/user/音楽/[live] a=b; c #1.mp3");
    case 3:
      return QStringLiteral("  blanks at both ends  ");
    case 4:
      return QStringLiteral("\"quoted\"");
    case 5:
      return QStringLiteral("line\r\nbreaks\n");
    case 6:
      return QString();
    default:
      return lines.isEmpty() ? QStringLiteral("x") : lines.back();
  }
}

// The application's keys and the first keys the file seems to hold (any text before a "=").
QStringList KeysToRead(const QStringList& lines) {
  QStringList keys;
  for (const QString& key : AppKeys()) keys.append(key);
  for (int n = 0; n < 4; ++n) keys << ListKey(n) << RankListKey(n) << RankPcntKey(n);
  const qsizetype appKeys = keys.size();
  for (const QString& line : lines) {
    const qsizetype eq = line.indexOf(u'=');
    if (eq >= 0) keys.append(line.left(eq).trimmed());
    if (keys.size() - appKeys == kMaxFileKeys) break;
  }
  return keys;
}

bool IsSubsequence(const QStringList& part, const QStringList& whole) {
  qsizetype j = 0;
  for (const QString& line : part) {
    while (j < whole.size() && whole[j] != line) ++j;
    if (j == whole.size()) return false;
    ++j;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput) return -1;  // not added to the corpus
  const TFuzzInput input(data, size, kControlBytes);
  const QByteArray bytes(reinterpret_cast<const char*>(input.Payload()),
                         static_cast<qsizetype>(input.PayloadSize()));
  const QString path = WriteFuzzFile(QStringLiteral("varo.ini"), bytes);
  const QStringList linesBefore = FileLines(bytes);
  const QStringList keys = KeysToRead(linesBefore);

  std::vector<QString> before;
  try {
    const TSettingsFile settings(path);
    for (const QString& key : keys) {
      before.push_back(settings.ReadString(key, kMissing));
      if (before.size() > AppKeys().size()) continue;  // every read costs a look at the disk
      FUZZ_CHECK(settings.KeyExists(key) == (before.back() != kMissing));
      int value = 0;
      const bool isNumber = ParseSettingsInteger(before.back(), value);
      FUZZ_CHECK(settings.ReadInteger(key, -7) == (isNumber ? value : -7));
    }
  } catch (const std::exception& e) {
    FuzzFailure(e.what());  // reading gives defaults, never an error
  }

  const QString key = WrittenKey(input.Control(0));
  const QString value = ValueFor(input.Control(1), linesBefore);
  try {
    TSettingsFile settings(path);
    if (input.Control(1) & 8) settings.BeginUpdate();
    settings.WriteString(key, value);
    if (input.Control(1) & 8) settings.EndUpdate();
  } catch (const std::exception& e) {
    FuzzFailure(e.what());  // the temporary folder is writable
  }

  const TSettingsFile reread(path);
  QString expected = value;
  expected.replace(u'\r', u' ').replace(u'\n', u' ');
  FUZZ_CHECK(reread.ReadString(key, kMissing) == expected);
  for (qsizetype i = 0; i < keys.size(); ++i)
    if (keys[i].compare(key, Qt::CaseInsensitive) != 0)
      FUZZ_CHECK(reread.ReadString(keys[i], kMissing) == before[static_cast<size_t>(i)]);

  // Every line stays; at most the written key's line is another, and it holds the key.
  const QStringList linesAfter = FileLines(ReadFuzzFile(path));
  if (linesAfter.size() == linesBefore.size()) {
    qsizetype changed = 0;
    for (qsizetype i = 0; i < linesAfter.size(); ++i) {
      if (linesAfter[i] == linesBefore[i]) continue;
      ++changed;
      FUZZ_CHECK(linesAfter[i].trimmed().startsWith(key, Qt::CaseInsensitive));
    }
    FUZZ_CHECK(changed <= 1);
  } else {
    FUZZ_CHECK(linesAfter.size() > linesBefore.size() && linesAfter.size() <= linesBefore.size() + 3);
    FUZZ_CHECK(IsSubsequence(linesBefore, linesAfter));
  }
  return 0;
}
