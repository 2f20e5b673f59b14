// varo.ini: one section of key=value lines with the meaning of the classic profile API.
// Keys are compared without regard to case, unknown lines and sections are kept, a missing
// or non-numeric integer reads as the default, and every write reaches the disk at once by
// replacing the whole file atomically (temporary file, then rename), so a crash never
// leaves half a settings file behind.
#pragma once

#include <QString>
#include <QStringList>

#include <string>

#include <sys/types.h>

class TSettingsFile {
 public:
  explicit TSettingsFile(QString fileName, QString section = QStringLiteral("varo"));

  const QString& FileName() const { return FFileName; }

  QString ReadString(const QString& key, const QString& defaultValue) const;
  int ReadInteger(const QString& key, int defaultValue) const;
  bool KeyExists(const QString& key) const;

  // Each of these writes the file at once unless an update is open. Failures raise
  // std::runtime_error with the file name and the system's reason.
  void WriteString(const QString& key, const QString& value);
  void WriteInteger(const QString& key, int value);
  void DeleteKey(const QString& key);
  // Deletes prefix+n for first <= n <= last (n in decimal without leading zeros) in one pass,
  // so a damaged huge count costs nothing.
  void DeleteNumberedKeys(const QString& prefix, long long first, long long last);

  // Groups writes into one atomic replace (the exit sequence writes the whole queue at once).
  // Nested calls are counted; the outermost EndUpdate writes.
  void BeginUpdate();
  void EndUpdate();

 private:
  struct TFileStamp {
    bool Exists = false;
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    long long ModifiedNs = 0;
    bool operator==(const TFileStamp&) const = default;
  };

  void Refresh() const;                       // reloads the lines when the file changed on disk
  int FindKeyLine(const QString& key) const;  // -1 when absent
  int SectionEnd(int sectionLine) const;
  int FindSection() const;
  void SetValue(const QString& key, const QString& value);
  void Commit();
  TFileStamp StampOnDisk() const;

  QString FFileName;
  QString FSection;
  mutable QStringList FLines;
  mutable TFileStamp FStamp;
  mutable bool FLoaded = false;
  mutable std::string FReadError;  // why the file on disk could not be read, if it could not
  int FUpdateDepth = 0;
  bool FDirty = false;
};

// Integer text as the settings file accepts it: optional blanks and sign, decimal digits,
// within int range. Returns false otherwise.
bool ParseSettingsInteger(const QString& text, int& value);
