#include "theme.h"

namespace skingen {

// Midnight glass: near-black blue bodies, a cyan-to-violet accent.
const Theme& defaultTheme() {
  static const Theme t{
      .name = "default",
      .orb = OrbShape::Round,
      .ornament = Ornament::Grille,
      .bodyRadius = 24,
      .orbFillet = 16,
      .bodyTop = QColor(0x2a, 0x31, 0x44),
      .bodyBottom = QColor(0x12, 0x16, 0x21),
      .orbCentre = QColor(0x26, 0x2d, 0x42),
      .orbEdge = QColor(0x0f, 0x13, 0x1d),
      .track = QColor(0x0a, 0x0d, 0x14),
      .rim = QColor(0x05, 0x06, 0x0a),
      .bevelHighlight = 0.34,
      .bevelShade = 0.45,
      .wellTop = QColor(0x07, 0x0a, 0x12),
      .wellBottom = QColor(0x10, 0x17, 0x26),
      .wellEdge = QColor(0x3b, 0x4b, 0x6a),
      .accentA = QColor(0x3d, 0xdc, 0xff),
      .accentB = QColor(0x84, 0x52, 0xff),
      .markA = QColor(0x3d, 0xdc, 0xff),
      .markB = QColor(0x84, 0x52, 0xff),
      .accentGlyph = QColor(0xff, 0xff, 0xff),
      .beadTop = QColor(0x3a, 0x43, 0x5b),
      .beadBottom = QColor(0x1a, 0x1f, 0x2c),
      .beadEdge = QColor(0x07, 0x09, 0x0e),
      .beadGlyph = QColor(0xd8, 0xf3, 0xff),
      .closeGlyph = QColor(0xff, 0x7a, 0x8c),
      .ornamentColour = QColor(0x5a, 0x6a, 0x8c),
      .labelColour = QColor(0xff, 0xff, 0xff),
  };
  return t;
}

// Sakura: pearl-pink bodies, plum recesses, rose accent, blossom orb.
const Theme& sakuraTheme() {
  static const Theme t{
      .name = "sakura",
      .orb = OrbShape::Blossom,
      .ornament = Ornament::Petals,
      .bodyRadius = 40,
      .orbFillet = 7,
      .bodyTop = QColor(0xff, 0xf4, 0xf7),
      .bodyBottom = QColor(0xf0, 0xcf, 0xdc),
      .orbCentre = QColor(0xff, 0xfa, 0xfc),
      .orbEdge = QColor(0xf4, 0xc4, 0xd5),
      .track = QColor(0xe2, 0xa6, 0xbd),
      .rim = QColor(0x8e, 0x4a, 0x68),
      .bevelHighlight = 0.7,
      .bevelShade = 0.16,
      .wellTop = QColor(0x2a, 0x0b, 0x22),
      .wellBottom = QColor(0x4a, 0x16, 0x3a),
      .wellEdge = QColor(0xb8, 0x6f, 0x92),
      .accentA = QColor(0xff, 0x9c, 0xbd),
      .accentB = QColor(0xd6, 0x3a, 0x78),
      .markA = QColor(0xe0, 0x4a, 0x84),
      .markB = QColor(0x8a, 0x2a, 0x5e),
      .accentGlyph = QColor(0xff, 0xff, 0xff),
      .beadTop = QColor(0xff, 0xff, 0xff),
      .beadBottom = QColor(0xf6, 0xd9, 0xe4),
      .beadEdge = QColor(0xb5, 0x6e, 0x8e),
      .beadGlyph = QColor(0x7c, 0x26, 0x52),
      .closeGlyph = QColor(0xc8, 0x2a, 0x5a),
      .ornamentColour = QColor(0xf2, 0xa7, 0xc3),
      .labelColour = QColor(0xff, 0xff, 0xff),
  };
  return t;
}

}  // namespace skingen
