// The application home: the folder that holds varo.ini, the playlists, history.txt and the
// skin folder. Chosen as --home DIR, else VARO_HOME, else the executable's folder when it
// holds skin/default.bmp and is writable (portable use), else $XDG_DATA_HOME/varo
// (~/.local/share/varo).
#pragma once

#include <QString>

struct THomeCandidates {
  QString CommandLine;  // --home
  QString Environment;  // VARO_HOME
  QString ExecutableDir;
  QString XdgDataHome;  // $XDG_DATA_HOME, may be empty
  QString UserHome;     // $HOME
};

QString ChooseApplicationHome(const THomeCandidates& c);

// The candidates of this process (environment and executable folder).
THomeCandidates ProcessHomeCandidates(const QString& commandLineHome);

// Creates the home when missing. On the first start (no skin folder yet) the installed skins
// are copied in. Raises EFileError when the folder cannot be made.
void PrepareApplicationHome(const QString& home, const QString& dataDir);

inline QString SkinDir(const QString& home) { return home + QStringLiteral("/skin"); }
inline QString SettingsFileName(const QString& home) { return home + QStringLiteral("/varo.ini"); }
