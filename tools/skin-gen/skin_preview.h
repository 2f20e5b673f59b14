#pragma once
// Pictures of the skins as the player shows them, for looking at the art:
// the three windows docked together over a desktop, with sample text in the
// labels, list and lyrics. Not part of the generated data (they use the
// system's fonts, which differ between machines).
#include <QString>

namespace skingen {

// Reads DATADIR/skins and DATADIR/pictures, writes PNGs into PREVIEWDIR.
bool writePreviews(const QString& dataDir, const QString& previewDir, QString* error);

}  // namespace skingen
