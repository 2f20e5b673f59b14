// Text files the program writes whole (playlists, history.txt): written to a temporary file
// and renamed over the old one, so a failed write never leaves half a file behind.
#pragma once

#include <QByteArray>
#include <QString>

// Raises EFileError ("Cannot create file ...") when the file cannot be written.
void WriteFileAtomically(const QString& path, const QByteArray& bytes);
