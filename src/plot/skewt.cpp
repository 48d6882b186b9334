#include "plot/skewt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "analysis/thermo.h"
#include "plot/hodograph.h"

namespace wxfetch {

namespace {

constexpr double LEFT = 56, TOP = 44, WIDTH = 560, HEIGHT = 680;
constexpr double RIGHT = LEFT + WIDTH, BOTTOM = TOP + HEIGHT;
constexpr double P_BOTTOM = 1050, P_TOP = 100;
constexpr double T_LEFT = -40, T_RIGHT = 50;  // degrees C along the bottom edge
constexpr double BARB_X = RIGHT + 52;

double y_of(double pressure) {
  return BOTTOM - HEIGHT * std::log(P_BOTTOM / pressure) / std::log(P_BOTTOM / P_TOP);
}

// 45 degrees: an isotherm moves right by as much as it rises.
double x_of(double celsius, double pressure) {
  return LEFT + (celsius - T_LEFT) * WIDTH / (T_RIGHT - T_LEFT) + (BOTTOM - y_of(pressure));
}

bool inside(double x, double y) {
  return x >= LEFT && x <= RIGHT && y >= TOP && y <= BOTTOM;
}

void append(std::string& out, const char* format, double a, double b) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b);
  out += text;
}

// Points "x,y x,y ..." of (celsius, pressure) pairs.
using Curve = std::vector<std::pair<double, double>>;

std::string polyline(const Curve& curve, const char* attributes) {
  std::string out = "<polyline ";
  out += attributes;
  out += " points=\"";
  for (const auto& [t, p] : curve) append(out, "%.1f,%.1f ", x_of(t, p), y_of(p));
  out += "\"/>\n";
  return out;
}

// A label at the last point of the curve inside the plotting area.
std::string label_curve(const Curve& curve, const std::string& text) {
  for (auto it = curve.rbegin(); it != curve.rend(); ++it) {
    const double x = x_of(it->first, it->second), y = y_of(it->second);
    if (inside(x, y)) {
      std::string out;
      append(out, "<text x=\"%.1f\" y=\"%.1f\">", x + 2, y + 10);
      return out + text + "</text>\n";
    }
  }
  return "";
}

std::string number_text(double value, const char* format) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// The isobars and isotherms, to be clipped to the diagram.
std::string isobars_and_isotherms() {
  std::string out = "<g stroke=\"#9a9a9a\" stroke-width=\"0.6\">\n";
  for (int p = 1000; p >= 100; p -= 100) {
    append(out, "<line x1=\"%.1f\" y1=\"%.1f\" ", LEFT, y_of(p));
    append(out, "x2=\"%.1f\" y2=\"%.1f\"/>\n", RIGHT, y_of(p));
  }
  for (int t = -130; t <= 50; t += 10) {
    append(out, "<line x1=\"%.1f\" y1=\"%.1f\" ", x_of(t, P_BOTTOM), BOTTOM);
    append(out, "x2=\"%.1f\" y2=\"%.1f\"/>\n", x_of(t, P_TOP), TOP);
  }
  return out + "</g>\n";
}

// Their labels, outside the diagram: temperatures under it, pressures on its left.
std::string axis_labels() {
  std::string labels = "<g fill=\"#555\" stroke=\"none\">\n";
  for (int t = -130; t <= 50; t += 10) {
    if (x_of(t, P_BOTTOM) >= LEFT) {
      append(labels, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">", x_of(t, P_BOTTOM),
             BOTTOM + 14);
      labels += std::to_string(t) + "</text>\n";
    }
  }
  for (int p = 1000; p >= 100; p -= 100) {
    append(labels, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">", LEFT - 4, y_of(p) + 4);
    labels += std::to_string(p) + "</text>\n";
  }
  return labels + "</g>\n";
}

std::string dry_adiabats() {
  std::string lines = "<g stroke=\"#d9a066\" stroke-width=\"0.6\" fill=\"none\">\n";
  std::string labels = "<g fill=\"#b07030\">\n";
  for (int theta = -30; theta <= 200; theta += 10) {
    Curve curve;
    for (double p = P_BOTTOM; p >= P_TOP - 1; p -= 25) {
      curve.emplace_back(dry_adiabat_temperature(theta + ZERO_CELSIUS, p) - ZERO_CELSIUS, p);
    }
    lines += polyline(curve, "");
    labels += label_curve(curve, std::to_string(theta));
  }
  return lines + "</g>\n" + labels + "</g>\n";
}

std::string moist_adiabats() {
  std::string lines = "<g stroke=\"#6aa36a\" stroke-width=\"0.6\" fill=\"none\">\n";
  std::string labels = "<g fill=\"#3c7a3c\">\n";
  for (int wet_bulb = -20; wet_bulb <= 36; wet_bulb += 4) {
    const double start = wet_bulb + ZERO_CELSIUS;
    Curve curve{{moist_adiabat_temperature(start, 1000, P_BOTTOM) - ZERO_CELSIUS, P_BOTTOM}};
    double t = start;
    for (double p = 1000; p >= 200; p -= 25) {
      t = moist_adiabat_temperature(t, p + (p == 1000 ? 0 : 25), p);
      curve.emplace_back(t - ZERO_CELSIUS, p);
    }
    lines += polyline(curve, "");
    labels += label_curve(curve, std::to_string(wet_bulb));
  }
  return lines + "</g>\n" + labels + "</g>\n";
}

std::string mixing_ratio_lines() {
  std::string lines =
      "<g stroke=\"#7a9cc6\" stroke-width=\"0.6\" stroke-dasharray=\"4 3\" fill=\"none\">\n";
  std::string labels = "<g fill=\"#4a6c96\">\n";
  for (const double grams : {0.4, 1.0, 2.0, 3.0, 5.0, 8.0, 12.0, 16.0, 20.0, 28.0}) {
    Curve curve;
    for (double p = P_BOTTOM; p >= 600; p -= 25) {
      const double e = vapour_pressure(grams / 1000, p) / enhancement_factor(p);
      curve.emplace_back(dew_point_from_vapour_pressure(e) - ZERO_CELSIUS, p);
    }
    lines += polyline(curve, "");
    labels += label_curve(curve, number_text(grams, "%g"));
  }
  return lines + "</g>\n" + labels + "</g>\n";
}

}  // namespace

namespace {

// The profile of one field as polylines, broken where a level that should carry it (any level
// but a wind level) lacks it or lies outside the diagram.
std::string profile_lines(const Profile& profile, double ProfileLevel::*field,
                          const char* attributes) {
  std::string out;
  Curve curve;
  const auto flush = [&]() {
    if (curve.size() >= 2) out += polyline(curve, attributes);
    curve.clear();
  };
  for (const ProfileLevel& level : profile.levels) {
    if (level.kind == WIND || level.kind == MAX_WIND) continue;
    const double value = level.*field;
    if (!present(level.pressure) || !present(value) || level.pressure > P_BOTTOM ||
        level.pressure < P_TOP) {
      if (present(level.pressure) && level.pressure <= P_BOTTOM) flush();
      continue;
    }
    curve.emplace_back(value, level.pressure);
  }
  flush();
  return out;
}

// The surface parcel's path, dashed, over the shaded areas where it is warmer than the
// environment.
std::string parcel_lines(const ParcelPath& path) {
  std::string shade;
  Curve parcel, warm, env;
  const auto close_area = [&]() {
    if (warm.size() >= 2) {
      Curve polygon = warm;
      polygon.insert(polygon.end(), env.rbegin(), env.rend());
      shade += polyline(polygon, "fill=\"#f08040\" fill-opacity=\"0.35\" stroke=\"none\"");
    }
    warm.clear();
    env.clear();
  };
  for (size_t i = 0; i < path.pressures.size(); ++i) {
    const double p = path.pressures[i];
    if (p < P_TOP) break;
    const double tp = path.temperature[i] - ZERO_CELSIUS;
    const double te = path.env_temperature[i] - ZERO_CELSIUS;
    parcel.emplace_back(tp, p);
    if (tp > te) {
      warm.emplace_back(tp, p);
      env.emplace_back(te, p);
    } else {
      close_area();
    }
  }
  close_area();
  if (parcel.size() < 2) return shade;
  return shade + polyline(parcel,
                          "fill=\"none\" stroke=\"#222\" stroke-width=\"1.2\" "
                          "stroke-dasharray=\"6 4\"");
}

// One wind barb at height `y`: a staff towards the direction the wind comes from, pennants of
// 50, barbs of 10 and half barbs of 5 knots at its outer end; a circle for a calm.
std::string wind_barb(double y, double direction, double knots) {
  std::string out;
  const int rounded = static_cast<int>(std::lround(knots / 5)) * 5;
  if (rounded == 0) {
    append(out, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"3\" fill=\"none\"/>\n", BARB_X, y);
    return out;
  }
  const double a = direction * 3.14159265358979 / 180.0;
  const double dx = std::sin(a), dy = -std::cos(a);  // along the staff, outwards
  const double fx = -dy, fy = dx;                    // across it, for the feathers
  const double length = 30;
  std::string path;
  append(path, "M%.1f %.1f ", BARB_X, y);
  append(path, "L%.1f %.1f ", BARB_X + dx * length, y + dy * length);
  double along = length;
  int rest = rounded;
  for (; rest >= 50; rest -= 50, along -= 7) {
    append(path, "M%.1f %.1f ", BARB_X + dx * along, y + dy * along);
    append(path, "l%.1f %.1f ", fx * 12 - dx * 3.5, fy * 12 - dy * 3.5);
    append(path, "L%.1f %.1fz ", BARB_X + dx * (along - 7), y + dy * (along - 7));
  }
  for (; rest >= 5; rest -= 10, along -= 4) {
    const double size = rest >= 10 ? 12 : 6;
    append(path, "M%.1f %.1f ", BARB_X + dx * along, y + dy * along);
    append(path, "l%.1f %.1f ", fx * size + dx * size / 4, fy * size + dy * size / 4);
  }
  return "<path d=\"" + path + "\" fill=\"#222\"/>\n";
}

// The rows (px, top and bottom) one barb covers: its staff of 30 px towards the direction the
// wind comes from and its feathers, up to 12 px across the staff, with a margin.
std::pair<double, double> barb_rows(double y, double direction, double knots) {
  if (std::lround(knots / 5) == 0) return {y - 4, y + 4};
  const double a = direction * 3.14159265358979 / 180.0;
  const double end = y - 30 * std::cos(a), across = 12 * std::fabs(std::sin(a));
  return {std::min(y, end) - across - 4, std::max(y, end) + across + 4};
}

// The barbs from the ground up, each left out whose rows would meet those of a barb drawn.
std::string wind_barbs(const Profile& profile) {
  std::string out = "<g stroke=\"#222\" stroke-width=\"1\">\n";
  append(out, "<line x1=\"%.1f\" y1=\"%.1f\" ", BARB_X, TOP);
  append(out, "x2=\"%.1f\" y2=\"%.1f\" stroke=\"#bbb\"/>\n", BARB_X, BOTTOM);
  std::vector<std::pair<double, double>> drawn;
  for (const ProfileLevel& level : profile.levels) {
    if (!present(level.pressure) || !present(level.wind_direction) || !present(level.wind_speed) ||
        level.pressure > P_BOTTOM || level.pressure < P_TOP) {
      continue;
    }
    const double y = y_of(level.pressure);
    const auto rows = barb_rows(y, level.wind_direction, level.wind_speed);
    const bool meets = std::any_of(drawn.begin(), drawn.end(), [&](const auto& other) {
      return rows.first < other.second && other.first < rows.second;
    });
    if (meets) continue;
    out += wind_barb(y, level.wind_direction, level.wind_speed);
    drawn.push_back(rows);
  }
  return out + "</g>\n";
}

}  // namespace

std::string xml_escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '&')
      out += "&amp;";
    else if (c == '"')
      out += "&quot;";
    else
      out += c;
  }
  return out;
}

const std::string& skewt_definitions() {
  static const std::string definitions = [] {
    std::string out = "<clipPath id=\"skewt-clip\">";
    append(out, "<rect x=\"%.1f\" y=\"%.1f\" ", LEFT, TOP);
    append(out, "width=\"%.1f\" height=\"%.1f\"/></clipPath>\n", WIDTH, HEIGHT);
    out += "<g id=\"skewt-background\" font-family=\"sans-serif\" font-size=\"9\">\n";
    out += "<g clip-path=\"url(#skewt-clip)\">\n";
    out += isobars_and_isotherms() + dry_adiabats() + moist_adiabats() + mixing_ratio_lines();
    out += "</g>\n" + axis_labels();
    append(out, "<rect x=\"%.1f\" y=\"%.1f\" ", LEFT, TOP);
    append(out, "width=\"%.1f\" height=\"%.1f\" fill=\"none\" stroke=\"#444\"/>\n", WIDTH, HEIGHT);
    return out + "</g>\n";
  }();
  return definitions;
}

std::string skewt_title(const Profile& profile) {
  // Long initials (from a CSV file) are cut to 40 bytes, never inside a UTF-8 character.
  std::string initials = profile.station.initials;
  if (initials.size() > 40) {
    size_t cut = 40;
    while (cut > 0 && (static_cast<unsigned char>(initials[cut]) & 0xC0) == 0x80) --cut;
    initials.resize(cut);
  }
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, " %04d-%02d-%02d %02dZ", profile.year, profile.month,
                profile.day, profile.hour);
  return std::to_string(profile.station.wmo) + " " + initials + numbers;
}

std::string skewt_open_tag() {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
         "width=\"" +
         std::to_string(SKEWT_WIDTH) + "\" height=\"" + std::to_string(SKEWT_HEIGHT) +
         "\" viewBox=\"0 0 " + std::to_string(SKEWT_WIDTH) + " " + std::to_string(SKEWT_HEIGHT) +
         "\">\n";
}

std::string skewt_body(const Profile& profile, const SoundingAnalysis& analysis) {
  std::string out = "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
  out += "<use xlink:href=\"#skewt-background\"/>\n";
  out += "<g clip-path=\"url(#skewt-clip)\">\n";
  out += parcel_lines(analysis.surface_parcel);
  out += profile_lines(profile, &ProfileLevel::temperature,
                       "fill=\"none\" stroke=\"#d01010\" stroke-width=\"2\"");
  out += profile_lines(profile, &ProfileLevel::dew_point,
                       "fill=\"none\" stroke=\"#108a10\" stroke-width=\"2\"");
  out += "</g>\n" + wind_barbs(profile);
  append(out, "<text x=\"%.1f\" y=\"%.1f\" font-family=\"sans-serif\" font-size=\"16\" ", LEFT,
         TOP - 14);
  out += "font-weight=\"bold\">" + xml_escaped(skewt_title(profile)) + "</text>\n";
  append(out, "<text x=\"%.1f\" y=\"%.1f\" font-family=\"sans-serif\" font-size=\"10\" ", BARB_X,
         TOP - 6);
  return out + "text-anchor=\"middle\">kt</text>\n";
}

std::string skewt_document(const Profile& profile, const SoundingAnalysis& analysis) {
  const std::string width = std::to_string(SKEWT_WIDTH + HODOGRAPH_SIZE);
  const std::string height = std::to_string(SKEWT_HEIGHT);
  std::string hodograph = hodograph_svg(analysis);
  // Placed beside the diagram, level with its top.
  hodograph.insert(4, " x=\"" + std::to_string(SKEWT_WIDTH) + "\" y=\"" +
                          std::to_string(static_cast<int>(TOP)) + "\"");
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
         "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"" +
         width + "\" height=\"" + height + "\" viewBox=\"0 0 " + width + " " + height +
         "\">\n<defs>\n" + skewt_definitions() + "</defs>\n" + skewt_body(profile, analysis) +
         hodograph + "</svg>\n";
}

}  // namespace wxfetch
