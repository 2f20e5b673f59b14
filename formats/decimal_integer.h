// The one rule for an integer written as text in the program's own files (varo.ini, skin
// layouts): optional blanks around, an optional sign, ASCII digits, a value that fits an int.
#pragma once

#include <QString>

inline bool ParseDecimalInteger(const QString& text, int& value) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return false;
  for (qsizetype i = 0; i < t.size(); ++i) {
    const QChar c = t[i];
    if (!(c.isDigit() && c.unicode() < 128) && !(i == 0 && (c == u'-' || c == u'+'))) return false;
  }
  bool ok = false;
  const int v = t.toInt(&ok, 10);
  if (ok) value = v;
  return ok;
}
