// Where the program's own data (installed skins, lyrics backgrounds, icon, demo track) lives:
// VARO_DATA_DIR when set, else ../share/varo beside an installed executable, else the
// source tree's data folder the program was built from.
#pragma once

#include <QString>

QString DataDir();

inline QString PicturesDir() { return DataDir() + QStringLiteral("/pictures"); }
inline QString DemoDir() { return DataDir() + QStringLiteral("/demo"); }
