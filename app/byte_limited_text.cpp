#include "byte_limited_text.h"

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

QByteArray Utf8Prefix(const QString& text, qsizetype maxBytes) {
  QByteArray bytes = text.toUtf8();
  if (bytes.size() <= maxBytes) return bytes;
  qsizetype cut = maxBytes < 0 ? 0 : maxBytes;
  // Back up to the lead byte of the character that would be split.
  while (cut > 0 && IsContinuationByte(bytes[cut])) --cut;
  bytes.truncate(cut);
  return bytes;
}

QByteArray Utf8PadRight(const QString& text, qsizetype width) {
  QByteArray bytes = text.toUtf8();
  if (bytes.size() < width) bytes.append(width - bytes.size(), ' ');
  return bytes;
}
