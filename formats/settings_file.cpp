#include "formats/settings_file.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "decimal_integer.h"
#include "formats/file_errors.h"

namespace {

bool IsSectionHeader(const QString& line, QString* name) {
  const QString t = line.trimmed();
  if (!t.startsWith(u'[')) return false;
  const qsizetype close = t.indexOf(u']');
  if (close < 0) return false;
  if (name) *name = t.mid(1, close - 1).trimmed();
  return true;
}

bool IsComment(const QString& line) {
  const QString t = line.trimmed();
  return t.startsWith(u';') || t.startsWith(u'#');
}

// Splits "key=value"; false for lines that hold no key.
bool SplitKeyLine(const QString& line, QString* key, QString* value) {
  if (IsComment(line)) return false;
  const qsizetype eq = line.indexOf(u'=');
  if (eq < 0) return false;
  if (key) *key = line.left(eq).trimmed();
  if (value) *value = line.mid(eq + 1);
  return true;
}

bool IsQuoted(const QString& v) {
  return v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front();
}

QString DecodeValue(const QString& raw) {
  const QString v = raw.trimmed();
  return IsQuoted(v) ? v.mid(1, v.size() - 2) : v;
}

// Line breaks cannot live inside one line; blanks at the ends and quotes around the whole
// value would be lost on reading, so such values are quoted.
QString EncodeValue(const QString& value) {
  QString v = value;
  v.replace(u'\r', u' ').replace(u'\n', u' ');
  if (v != v.trimmed() || IsQuoted(v)) return u'"' + v + u'"';
  return v;
}

}  // namespace

bool ParseSettingsInteger(const QString& text, int& value) { return ParseDecimalInteger(text, value); }

TSettingsFile::TSettingsFile(QString fileName, QString section)
    : FFileName(std::move(fileName)), FSection(std::move(section)) {}

TSettingsFile::TFileStamp TSettingsFile::StampOnDisk() const {
  TFileStamp s;
  struct stat st {};
  if (::stat(QFile::encodeName(FFileName).constData(), &st) != 0) return s;
  s.Exists = true;
  s.Device = st.st_dev;
  s.Inode = st.st_ino;
  s.Size = st.st_size;
  s.ModifiedNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  return s;
}

void TSettingsFile::Refresh() const {
  if (FUpdateDepth > 0 && FLoaded) return;  // pending changes are the truth until EndUpdate
  const TFileStamp now = StampOnDisk();
  if (FLoaded && now == FStamp) return;
  FLines.clear();
  FReadError.clear();
  if (now.Exists) {
    QByteArray bytes;
    try {
      bytes = ReadWholeFile(FFileName);
    } catch (const EFileError& e) {
      // Reads give their defaults; writes refuse (Commit), or the few keys written since would
      // replace everything the file holds. The next access tries again.
      FReadError = e.what();
      FLoaded = false;
      return;
    }
    // One byte-order mark is dropped, here only (fromUtf8 would drop another, a character of
    // the first line).
    QStringDecoder decode(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    QString text = decode(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    FLines = text.split(u'\n');
    for (QString& line : FLines)
      if (line.endsWith(u'\r')) line.chop(1);
    if (!FLines.isEmpty() && FLines.back().isEmpty()) FLines.removeLast();
  }
  FStamp = now;
  FLoaded = true;
}

int TSettingsFile::FindSection() const {
  QString name;
  for (int i = 0; i < FLines.size(); ++i)
    if (IsSectionHeader(FLines[i], &name) && name.compare(FSection, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

int TSettingsFile::SectionEnd(int sectionLine) const {
  int i = sectionLine + 1;
  while (i < FLines.size() && !IsSectionHeader(FLines[i], nullptr)) ++i;
  return i;
}

int TSettingsFile::FindKeyLine(const QString& key) const {
  const int section = FindSection();
  if (section < 0) return -1;
  const int end = SectionEnd(section);
  QString k;
  for (int i = section + 1; i < end; ++i)
    if (SplitKeyLine(FLines[i], &k, nullptr) && k.compare(key, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

QString TSettingsFile::ReadString(const QString& key, const QString& defaultValue) const {
  Refresh();
  const int line = FindKeyLine(key);
  if (line < 0) return defaultValue;
  QString value;
  SplitKeyLine(FLines[line], nullptr, &value);
  return DecodeValue(value);
}

int TSettingsFile::ReadInteger(const QString& key, int defaultValue) const {
  int value = defaultValue;
  return ParseSettingsInteger(ReadString(key, QString()), value) ? value : defaultValue;
}

bool TSettingsFile::KeyExists(const QString& key) const {
  Refresh();
  return FindKeyLine(key) >= 0;
}

void TSettingsFile::SetValue(const QString& key, const QString& value) {
  Refresh();
  const int line = FindKeyLine(key);
  if (line >= 0) {
    QString oldKey;
    SplitKeyLine(FLines[line], &oldKey, nullptr);
    FLines[line] = oldKey + u'=' + EncodeValue(value);
  } else {
    int section = FindSection();
    if (section < 0) {
      if (!FLines.isEmpty() && !FLines.back().trimmed().isEmpty()) FLines.append(QString());
      FLines.append(u'[' + FSection + u']');
      section = static_cast<int>(FLines.size()) - 1;
    }
    int at = SectionEnd(section);
    while (at > section + 1 && FLines[at - 1].trimmed().isEmpty()) --at;  // before blank lines
    FLines.insert(at, key + u'=' + EncodeValue(value));
  }
  Commit();
}

void TSettingsFile::WriteString(const QString& key, const QString& value) { SetValue(key, value); }

void TSettingsFile::WriteInteger(const QString& key, int value) { SetValue(key, QString::number(value)); }

void TSettingsFile::DeleteKey(const QString& key) {
  Refresh();
  const int line = FindKeyLine(key);
  if (line < 0) return;
  FLines.removeAt(line);
  Commit();
}

void TSettingsFile::DeleteNumberedKeys(const QString& prefix, long long first, long long last) {
  Refresh();
  const int section = FindSection();
  if (section < 0 || first > last) return;
  bool removed = false;
  QString k;
  for (int i = SectionEnd(section) - 1; i > section; --i) {
    if (!SplitKeyLine(FLines[i], &k, nullptr)) continue;
    if (!k.startsWith(prefix, Qt::CaseInsensitive)) continue;
    const QString digits = k.mid(prefix.size());
    if (digits.isEmpty() || digits.front() == u'0' || digits.size() > 18) continue;
    bool ok = true;
    for (QChar c : digits) ok = ok && c >= u'0' && c <= u'9';
    if (!ok) continue;
    const long long n = digits.toLongLong();
    if (n < first || n > last) continue;
    FLines.removeAt(i);
    removed = true;
  }
  if (removed) Commit();
}

void TSettingsFile::BeginUpdate() {
  Refresh();
  ++FUpdateDepth;
}

void TSettingsFile::EndUpdate() {
  if (FUpdateDepth == 0) return;
  if (--FUpdateDepth == 0 && FDirty) Commit();
}

void TSettingsFile::Commit() {
  if (FUpdateDepth > 0) {
    FDirty = true;
    return;
  }
  FDirty = false;
  if (!FReadError.empty()) {
    FLoaded = false;
    throw EFileError(FReadError);
  }
  QByteArray data;
  // Reading drops one byte-order mark: a first line starting with that character would lose
  // it on every write unless a mark goes in front of it.
  if (!FLines.isEmpty() && FLines.front().startsWith(QChar(0xFEFF))) data += "\xEF\xBB\xBF";
  for (const QString& line : FLines) {
    data += line.toUtf8();
    data += '\n';
  }
  const QByteArray target = QFile::encodeName(FFileName);
  QByteArray tmpl = target + ".XXXXXX";
  const int fd = ::mkstemp(tmpl.data());
  if (fd < 0) ThrowCreateError(FFileName, errno);
  auto fail = [&](int err) {
    ::close(fd);
    ::unlink(tmpl.constData());
    FLoaded = false;  // the lines in memory did not reach the disk: reread next time
    ThrowCreateError(FFileName, err);
  };
  struct stat old {};
  const mode_t mode = ::stat(target.constData(), &old) == 0 ? (old.st_mode & 07777) : 0644;
  if (::fchmod(fd, mode) != 0) fail(errno);
  for (qsizetype done = 0; done < data.size();) {
    const ssize_t n = ::write(fd, data.constData() + done, static_cast<size_t>(data.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail(n < 0 ? errno : EIO);
    done += n;
  }
  if (::fsync(fd) != 0) fail(errno);
  if (::close(fd) != 0) {
    ::unlink(tmpl.constData());
    FLoaded = false;
    ThrowCreateError(FFileName, errno);
  }
  if (::rename(tmpl.constData(), target.constData()) != 0) {
    const int err = errno;
    ::unlink(tmpl.constData());
    FLoaded = false;
    ThrowCreateError(FFileName, err);
  }
  FStamp = StampOnDisk();
}
