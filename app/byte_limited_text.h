// Texts whose room is counted in bytes of UTF-8 (the tray tip, the ranking column): cut or
// padded without ever splitting a character.
#pragma once

#include <QByteArray>
#include <QString>

// The UTF-8 bytes of text, at most maxBytes of them, ending on a character boundary.
QByteArray Utf8Prefix(const QString& text, qsizetype maxBytes);

// The UTF-8 bytes of text padded with spaces to width bytes; a longer text stays whole.
QByteArray Utf8PadRight(const QString& text, qsizetype width);
