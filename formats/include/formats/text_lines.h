// Text files of unknown encoding (playlists, lyrics) read line by line.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Legacy bytes as text: UTF-8 when valid (a byte-order mark dropped), else Shift-JIS, else
// ISO-8859-1.
QString DecodeLegacyText(const QByteArray& bytes);
// Bytes known to be UTF-8 (a byte-order mark dropped).
QString DecodeUtf8Text(const QByteArray& bytes);

// Lines ended by CR LF, LF or a lone CR. A line end at the very end adds no empty line.
QStringList SplitTextLines(const QString& text);

// Reads lines forward; past the end every read gives an empty line.
class TLineReader {
 public:
  TLineReader() = default;
  explicit TLineReader(QStringList lines) : FLines(std::move(lines)) {}

  QString ReadLine() { return FNext < FLines.size() ? FLines[FNext++] : QString(); }
  bool AtEnd() const { return FNext >= FLines.size(); }

 private:
  QStringList FLines;
  qsizetype FNext = 0;
};
