// The file errors the application raises, with texts in the manner of the toolkit's own
// ("Cannot open file "x". reason"). They reach the standard error box like any other error.
#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>

class EFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] void ThrowOpenError(const QString& fileName, int error);
[[noreturn]] void ThrowCreateError(const QString& fileName, int error);
[[noreturn]] void ThrowReadBeyondEnd(const QString& fileName);

// Reads a whole file; raises the open error when it cannot.
QByteArray ReadWholeFile(const QString& fileName);
