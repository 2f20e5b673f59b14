#include "core/platform/ui_font.h"

#include <QFontDatabase>
#include <QStringList>

#include <algorithm>

namespace {

// Only the faces this machine has: asking the font database for missing families costs a
// slow fallback search for every text layout.
const QStringList& InterfaceFamilies() {
  static const QStringList families = [] {
    const QStringList wanted{QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"),
                             QStringLiteral("Noto Sans CJK JP")};
    QStringList found;
    for (const QString& family : wanted)
      if (QFontDatabase::hasFamily(family)) found << family;
    found << QStringLiteral("sans-serif");
    return found;
  }();
  return families;
}

}  // namespace

QFont InterfaceFont() {
  QFont font;
  font.setFamilies(InterfaceFamilies());
  font.setStyleHint(QFont::SansSerif);
  // The regular face by name, also in the bold fonts made from this one (titles, the lit
  // lyrics line, table headers): the font engine thickens it. A CJK bold face would be a
  // second font file of some 3 MiB held for the whole run, for text that looks the same.
  font.setStyleName(QStringLiteral("Regular"));
  return font;
}

QFont LabelFont(int pixelSize) {
  QFont font = InterfaceFont();
  font.setPixelSize(std::max(pixelSize, 1));
  font.setBold(true);
  return font;
}

int ClampFontSize(int points) { return std::clamp(points, 1, kLargestFontSize); }

int PointsToSkinPixels(int points) { return (ClampFontSize(points) * 96 + 36) / 72; }
