#include "plot/hodograph.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "analysis/kinematics.h"

namespace wxfetch {

namespace {

constexpr double CENTRE_X = HODOGRAPH_SIZE / 2.0, CENTRE_Y = HODOGRAPH_SIZE / 2.0 + 8;
constexpr double RADIUS = HODOGRAPH_SIZE / 2.0 - 22;  // px of the outer ring

struct Layer {
  double bottom, top;  // m above ground
  const char* colour;
  const char* name;
};
constexpr Layer LAYERS[] = {{0, 1000, "#d0103a", "0\u20131 km"},
                            {1000, 3000, "#109030", "1\u20133 km"},
                            {3000, 6000, "#c08000", "3\u20136 km"},
                            {6000, 9000, "#2060c0", "6\u20139 km"}};

std::string format(const char* pattern, double a, double b, double c = 0) {
  char text[200];
  std::snprintf(text, sizeof text, pattern, a, b, c);
  return text;
}

// The winds (m/s) of one layer: at its bottom, at the levels inside, and at its top or the
// highest level below it.
std::vector<WindVector> layer_winds(const WindProfile& w, const Layer& layer) {
  std::vector<WindVector> points;
  const WindVector bottom = wind_at(w, layer.bottom);
  if (!present(bottom.u)) return points;
  points.push_back(bottom);
  for (size_t i = 0; i < w.height.size(); ++i) {
    if (w.height[i] > layer.bottom && w.height[i] < layer.top) points.push_back({w.u[i], w.v[i]});
  }
  const WindVector top = wind_at(w, layer.top);
  if (present(top.u)) points.push_back(top);
  return points;
}

// The outer ring's speed (m/s): a multiple of 10 above every point drawn, at least 20.
double outer_speed(const SoundingAnalysis& a) {
  double most = 0;
  for (const Layer& layer : LAYERS) {
    for (const WindVector& p : layer_winds(a.winds, layer)) most = std::max(most, wind_speed(p));
  }
  for (const WindVector& p : {a.storms.right, a.storms.left}) {
    if (present(p.u)) most = std::max(most, wind_speed(p));
  }
  return std::max(20.0, std::ceil(most / 10) * 10);
}

std::string rings(double outer) {
  std::string out = "<g stroke=\"#bbb\" fill=\"none\" stroke-width=\"0.7\">\n";
  const double step = outer <= 40 ? 10 : 20;
  // The speeds are written in the lower-left quadrant, which winds that veer with height and
  // the storm motions seldom reach.
  std::string labels = "<g fill=\"#777\" font-size=\"9\" text-anchor=\"end\">\n";
  for (double s = step; s <= outer; s += step) {
    const double r = s / outer * RADIUS;
    out += format("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\"/>\n", CENTRE_X, CENTRE_Y, r);
    labels += format("<text x=\"%.1f\" y=\"%.1f\">%.0f</text>\n", CENTRE_X - r * 0.71 - 2,
                     CENTRE_Y + r * 0.71 + 9, s);
  }
  out += format("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" ", CENTRE_X - RADIUS, CENTRE_Y,
                CENTRE_X + RADIUS);
  out +=
      format("y2=\"%.1f\"/><line x1=\"%.1f\" y1=\"%.1f\" ", CENTRE_Y, CENTRE_X, CENTRE_Y - RADIUS);
  out += format("x2=\"%.1f\" y2=\"%.1f\"/>\n", CENTRE_X, CENTRE_Y + RADIUS);
  return out + "</g>\n" + labels + "</g>\n";
}

std::string layers(const WindProfile& w, double scale) {
  std::string out = "<g fill=\"none\" stroke-width=\"2.2\" stroke-linejoin=\"round\">\n";
  std::string legend = "<g font-size=\"10\">\n";
  double legend_y = HODOGRAPH_SIZE - 52;
  for (const Layer& layer : LAYERS) {
    const std::vector<WindVector> points = layer_winds(w, layer);
    if (points.size() >= 2) {
      out += std::string("<polyline class=\"layer\" stroke=\"") + layer.colour + "\" points=\"";
      for (const WindVector& p : points) {
        out += format("%.1f,%.1f ", CENTRE_X + p.u * scale, CENTRE_Y - p.v * scale);
      }
      out += "\"/>\n";
    }
    // The legend stands in the lower-right corner, outside the rings.
    legend += format("<rect x=\"%.1f\" y=\"%.1f\" width=\"12\" height=\"3\" ",
                     HODOGRAPH_SIZE - 62.0, legend_y - 4);
    legend += std::string("fill=\"") + layer.colour + "\"/>";
    legend += format("<text x=\"%.1f\" y=\"%.1f\">", HODOGRAPH_SIZE - 46.0, legend_y) + layer.name +
              "</text>\n";
    legend_y += 12;
  }
  return out + "</g>\n" + legend + "</g>\n";
}

std::string storm_marks(const StormMotions& storms, double scale) {
  std::string out;
  const struct {
    WindVector motion;
    const char *name, *fill;
  } marks[] = {{storms.right, "RM", "#222"}, {storms.left, "LM", "#fff"}};
  for (const auto& mark : marks) {
    if (!present(mark.motion.u)) continue;
    const double x = CENTRE_X + mark.motion.u * scale, y = CENTRE_Y - mark.motion.v * scale;
    out += format("<circle class=\"storm\" cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\" ", x, y, 4.5);
    out += std::string("fill=\"") + mark.fill + "\" stroke=\"#222\" stroke-width=\"1.2\"/>";
    out += format("<text x=\"%.1f\" y=\"%.1f\" font-size=\"10\">", x + 6, y - 5) + mark.name +
           "</text>\n";
  }
  return out;
}

}  // namespace

std::string hodograph_svg(const SoundingAnalysis& a) {
  const std::string size = std::to_string(HODOGRAPH_SIZE);
  std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"hodograph\" width=\"" +
                    size + "\" height=\"" + size + "\" viewBox=\"0 0 " + size + " " + size +
                    "\" font-family=\"sans-serif\">\n<rect width=\"100%\" height=\"100%\" "
                    "fill=\"#fff\"/>\n<text x=\"6\" y=\"16\" font-size=\"13\" "
                    "font-weight=\"bold\">Hodograph (m/s)</text>\n";
  const double outer = outer_speed(a);
  const double scale = RADIUS / outer;
  out += rings(outer);
  if (a.winds.height.empty()) {
    out += format("<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\" font-size=\"11\">", CENTRE_X,
                  CENTRE_Y + 30);
    out += "no winds with heights</text>\n";
  }
  out += layers(a.winds, scale) + storm_marks(a.storms, scale);
  return out + "</svg>\n";
}

}  // namespace wxfetch
