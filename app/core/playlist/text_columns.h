// Room for text counted in display columns, as a fixed-width list or a tip shows it: East
// Asian wide and fullwidth characters take two, combining marks none, the others one.
#pragma once

#include <QString>

int CharacterColumns(char32_t c);
qsizetype DisplayColumns(const QString& text);

// The longest start of text that fits in maxColumns. A character is never cut, and the marks
// that combine with the last character kept stay with it.
QString ColumnPrefix(const QString& text, qsizetype maxColumns);

// text padded with spaces to width columns; a wider text stays whole.
QString PadToColumns(const QString& text, qsizetype width);
