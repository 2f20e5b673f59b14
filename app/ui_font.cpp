#include "ui_font.h"

#include <QStringList>

#include <algorithm>

QFont InterfaceFont() {
  QFont font;
  font.setFamilies({QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"),
                    QStringLiteral("Noto Sans CJK JP"), QStringLiteral("sans-serif")});
  font.setStyleHint(QFont::SansSerif);
  return font;
}

QFont LabelFont(int pixelSize) {
  QFont font = InterfaceFont();
  font.setPixelSize(std::max(pixelSize, 1));
  font.setBold(true);
  return font;
}

int PointsToSkinPixels(int points) { return (points * 96 + 36) / 72; }
