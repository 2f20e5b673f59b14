#include "formats/text_lines.h"

#include <string_view>

#include "stream/legacy_text.h"

QString DecodeLegacyText(const QByteArray& bytes) {
  const std::string_view raw(bytes.constData(), static_cast<size_t>(bytes.size()));
  return QString::fromStdString(LegacyTextToUtf8(raw));
}

QString DecodeUtf8Text(const QByteArray& bytes) {
  static constexpr char kBom[] = "\xEF\xBB\xBF";
  return QString::fromUtf8(bytes.startsWith(kBom) ? bytes.mid(3) : bytes);
}

QStringList SplitTextLines(const QString& text) {
  QStringList lines;
  qsizetype start = 0;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    if (c != u'\r' && c != u'\n') continue;
    lines.append(text.mid(start, i - start));
    if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < n) lines.append(text.mid(start));
  return lines;
}
