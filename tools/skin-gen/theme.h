#pragma once
// The colour schemes of the two skins. Both share the geometry of
// skin_geometry.h; what differs is colour, the orb's outline and ornament.
#include <QColor>

#include <string>

namespace skingen {

enum class OrbShape { Round, Blossom };
enum class Ornament { Grille, Petals };

struct Theme {
  std::string name;
  OrbShape orb;
  Ornament ornament;
  int bodyRadius;
  int orbFillet;  // rounding where the orb meets the body

  QColor bodyTop, bodyBottom;  // window bodies
  QColor orbCentre, orbEdge;   // the transport orb
  QColor track;                // the groove the orb's buttons sit in
  QColor rim;                  // one-pixel outline of every window
  double bevelHighlight, bevelShade;
  QColor wellTop, wellBottom;  // recesses: display, lyrics frame, list frame
  QColor wellEdge;
  QColor accentA, accentB;  // the play button and small accents
  QColor markA, markB;      // word mark and emblems on the body
  QColor accentGlyph;
  QColor beadTop, beadBottom, beadEdge, beadGlyph;  // ordinary buttons
  QColor closeGlyph;
  QColor ornamentColour;
  QColor labelColour;  // title/artist text
  // The playlist grid: rows, their text, the header row and its text, grid lines, the
  // selected row and its text, the entry that plays.
  QColor listRows, listText, listHeader, listHeaderText, listLines, listSelect, listSelectText, listPlaying;
};

const Theme& defaultTheme();
const Theme& sakuraTheme();

}  // namespace skingen
