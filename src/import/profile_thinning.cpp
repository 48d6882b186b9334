#include "import/profile_thinning.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <queue>

namespace wxfetch {
namespace pack {

namespace {

bool kept_whole(const PackLevel& level) {
  return level.kind == 9 || level.kind == 4 || level.kind == 7 || level.kind == 8;
}

bool has_wind(const PackLevel& level) {
  return level.wind_direction != ABSENT && level.wind_speed != ABSENT;
}

// The levels that are kept whatever their values: the kinds kept whole, both ends, and the ends
// of the temperature, dew-point and wind profiles.
std::vector<bool> kept_first(const std::vector<PackLevel>& levels) {
  std::vector<bool> kept(levels.size(), false);
  if (levels.empty()) return kept;
  kept.front() = kept.back() = true;
  for (size_t i = 0; i < levels.size(); ++i) kept[i] = kept[i] || kept_whole(levels[i]);
  const auto mark_ends = [&](auto has) {
    const auto first = std::find_if(levels.begin(), levels.end(), has);
    if (first == levels.end()) return;
    kept[static_cast<size_t>(first - levels.begin())] = true;
    const auto last = std::find_if(levels.rbegin(), levels.rend(), has);
    kept[static_cast<size_t>(levels.rend() - last - 1)] = true;
  };
  mark_ends([](const PackLevel& l) { return l.temperature != ABSENT; });
  mark_ends([](const PackLevel& l) { return l.dew_point != ABSENT; });
  mark_ends(has_wind);
  return kept;
}

// The vertical coordinate the profiles are taken as linear in: log pressure when every level
// has a pressure, else height when every level has one, else the level's number.
std::vector<double> coordinates(const std::vector<PackLevel>& levels) {
  const bool pressures = std::all_of(levels.begin(), levels.end(), [](const PackLevel& l) {
    return l.pressure != ABSENT && l.pressure > 0;
  });
  const bool heights = std::all_of(levels.begin(), levels.end(),
                                   [](const PackLevel& l) { return l.height != ABSENT; });
  std::vector<double> x(levels.size());
  for (size_t i = 0; i < levels.size(); ++i) {
    x[i] = pressures ? -std::log(static_cast<double>(levels[i].pressure))
           : heights ? static_cast<double>(levels[i].height)
                     : static_cast<double>(i);
  }
  return x;
}

// How far the value `v` lies from the line between `a` and `b` at weight `w`; 0 when any of
// them is absent.
double deviation(int32_t a, int32_t v, int32_t b, double w) {
  if (a == ABSENT || v == ABSENT || b == ABSENT) return 0;
  return std::fabs(v - (a + w * (b - a)));
}

struct Wind {
  double u = 0, v = 0;
};

Wind wind_of(const PackLevel& level) {
  const double angle = level.wind_direction * std::numbers::pi / 180;
  return {level.wind_speed * std::sin(angle), level.wind_speed * std::cos(angle)};
}

// The distance of level `i` from the profile between the kept levels `a` and `b`.
double distance(const std::vector<PackLevel>& levels, const std::vector<double>& x, size_t a,
                size_t i, size_t b) {
  const double span = x[b] - x[a];
  const double w = span == 0 ? 0.5 : std::clamp((x[i] - x[a]) / span, 0.0, 1.0);
  const PackLevel &la = levels[a], &li = levels[i], &lb = levels[b];
  double worst = std::max(deviation(la.temperature, li.temperature, lb.temperature, w),
                          deviation(la.dew_point, li.dew_point, lb.dew_point, w));
  if (has_wind(la) && has_wind(li) && has_wind(lb)) {
    const Wind wa = wind_of(la), wi = wind_of(li), wb = wind_of(lb);
    worst = std::max(
        worst, std::hypot(wi.u - (wa.u + w * (wb.u - wa.u)), wi.v - (wa.v + w * (wb.v - wa.v))));
  }
  return worst;
}

// The level between kept levels `a` and `b` that lies farthest from their profile (the middle
// one when all lie on it), with its distance.
struct Candidate {
  double distance = 0;
  size_t span = 0;
  size_t a = 0, level = 0, b = 0;
  bool operator<(const Candidate& other) const {
    return distance != other.distance ? distance < other.distance : span < other.span;
  }
};

Candidate farthest(const std::vector<PackLevel>& levels, const std::vector<double>& x, size_t a,
                   size_t b) {
  Candidate best{-1, b - a, a, a + (b - a) / 2, b};
  for (size_t i = a + 1; i < b; ++i) {
    const double d = distance(levels, x, a, i, b);
    if (d > best.distance) best.distance = d, best.level = i;
  }
  if (best.distance <= 0) best.distance = 0, best.level = a + (b - a) / 2;
  return best;
}

}  // namespace

void thin_profile(std::vector<PackLevel>& levels, size_t limit) {
  if (levels.size() <= limit) return;
  std::vector<bool> kept = kept_first(levels);
  size_t count = static_cast<size_t>(std::count(kept.begin(), kept.end(), true));
  const std::vector<double> x = coordinates(levels);
  std::priority_queue<Candidate> gaps;
  size_t previous = 0;
  for (size_t i = 1; i < levels.size(); ++i) {
    if (!kept[i]) continue;
    if (i - previous > 1) gaps.push(farthest(levels, x, previous, i));
    previous = i;
  }
  while (count < limit && !gaps.empty()) {
    const Candidate gap = gaps.top();
    gaps.pop();
    kept[gap.level] = true;
    ++count;
    if (gap.level - gap.a > 1) gaps.push(farthest(levels, x, gap.a, gap.level));
    if (gap.b - gap.level > 1) gaps.push(farthest(levels, x, gap.level, gap.b));
  }
  std::vector<PackLevel> thinned;
  thinned.reserve(std::min(count, limit));
  for (size_t i = 0; i < levels.size() && thinned.size() < limit; ++i) {
    if (kept[i]) thinned.push_back(levels[i]);
  }
  levels = std::move(thinned);
}

}  // namespace pack
}  // namespace wxfetch
