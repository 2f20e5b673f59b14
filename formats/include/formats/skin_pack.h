// Skins in the skin folder: N.bmp (the pack) and N.txt (the layout) for a skin named N. The
// pack is cut in memory; no piece file is ever written.
#pragma once

#include <QString>
#include <QStringList>

#include "formats/skin_pieces.h"

inline constexpr const char* kDefaultSkinName = "default";

// The name to load: name itself when skinDir holds name.bmp, otherwise "default".
QString ResolveSkinName(const QString& skinDir, const QString& name);

// Reads pack and layout of the resolved name, which the skin keeps as its Name. Raises
// EFileError or ESkinError.
TSkin ReadSkin(const QString& skinDir, const QString& name);

// Skins offered besides the standard one: every *.txt in skinDir except default.txt, by name.
QStringList ListSkinNames(const QString& skinDir);
