#include <QGradient>

#include <charconv>
#include <string>

#include "program_icon.h"

namespace skingen {
namespace {

// Locale-independent number text: two decimals, trailing zeros dropped.
std::string num(double v) {
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
  std::string s(buf, end);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  return s == "-0" ? "0" : s;
}

std::string hex(int v) {
  static const char digits[] = "0123456789abcdef";
  return {digits[(v >> 4) & 15], digits[v & 15]};
}

// `colour="#rrggbb"` and, when not opaque, `opacity="a"`.
std::string colourAttributes(const char* colour, const char* opacity, const QColor& c) {
  std::string s = std::string(colour) + "=\"#" + hex(c.red()) + hex(c.green()) + hex(c.blue()) + "\"";
  if (c.alpha() != 255) s += std::string(" ") + opacity + "=\"" + num(c.alphaF()) + "\"";
  return s;
}

std::string pathData(const QPainterPath& path) {
  std::string d;
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    switch (e.type) {
      case QPainterPath::MoveToElement:
        d += "M" + num(e.x) + " " + num(e.y);
        break;
      case QPainterPath::LineToElement:
        d += "L" + num(e.x) + " " + num(e.y);
        break;
      case QPainterPath::CurveToElement:
        d += "C" + num(e.x) + " " + num(e.y);
        break;
      case QPainterPath::CurveToDataElement:
        d += " " + num(e.x) + " " + num(e.y);
        break;
    }
  }
  return d;
}

std::string gradientDef(const QGradient& g, const std::string& id) {
  std::string s;
  if (g.type() == QGradient::LinearGradient) {
    const auto& lg = static_cast<const QLinearGradient&>(g);
    s = "<linearGradient id=\"" + id + "\" gradientUnits=\"userSpaceOnUse\" x1=\"" + num(lg.start().x()) +
        "\" y1=\"" + num(lg.start().y()) + "\" x2=\"" + num(lg.finalStop().x()) + "\" y2=\"" +
        num(lg.finalStop().y()) + "\">";
  } else {
    const auto& rg = static_cast<const QRadialGradient&>(g);
    s = "<radialGradient id=\"" + id + "\" gradientUnits=\"userSpaceOnUse\" cx=\"" + num(rg.center().x()) +
        "\" cy=\"" + num(rg.center().y()) + "\" r=\"" + num(rg.radius()) + "\" fx=\"" +
        num(rg.focalPoint().x()) + "\" fy=\"" + num(rg.focalPoint().y()) + "\">";
  }
  s += "\n";
  for (const auto& [offset, colour] : g.stops())
    s += "  <stop offset=\"" + num(offset) + "\" " + colourAttributes("stop-color", "stop-opacity", colour) +
         "/>\n";
  s += g.type() == QGradient::LinearGradient ? "</linearGradient>\n" : "</radialGradient>\n";
  return s;
}

}  // namespace

std::string iconSvg() {
  const std::string size = std::to_string(kIconCanvas);
  std::string defs, body;
  int id = 0;
  for (const IconLayer& layer : iconLayers(false)) {
    std::string fill;
    if (const QGradient* g = layer.brush.gradient()) {
      const std::string name = "g" + std::to_string(++id);
      defs += gradientDef(*g, name);
      fill = "fill=\"url(#" + name + ")\"";
    } else {
      fill = colourAttributes("fill", "fill-opacity", layer.brush.color());
    }
    const char* rule = layer.path.fillRule() == Qt::OddEvenFill ? "evenodd" : "nonzero";
    body += "<path " + fill + " fill-rule=\"" + rule + "\" d=\"" + pathData(layer.path) + "\"/>\n";
  }
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + size + "\" height=\"" + size +
         "\" viewBox=\"0 0 " + size + " " + size + "\">\n<defs>\n" + defs + "</defs>\n" + body + "</svg>\n";
}

}  // namespace skingen
