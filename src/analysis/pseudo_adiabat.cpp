#include "analysis/pseudo_adiabat.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "analysis/thermo.h"

namespace wxfetch {

namespace {

// The table's pressures: ln p from ln 1100 down past ln 0.1 in steps of STEP.
const double LOG_BOTTOM = std::log(1100.0);
constexpr double STEP = 0.04;
constexpr double PER_STEP = 1 / STEP;  // multiplied by: cheaper than a division
constexpr int NODES = 234;
constexpr int SUBSTEPS = 2;  // Runge-Kutta steps between two table pressures

// The table's adiabats: 1000-hPa temperatures from COLDEST_ROW, one kelvin apart.
constexpr double COLDEST_ROW = ZERO_CELSIUS - 90;
constexpr int ROWS = 151;
constexpr double MIN_TABLE_PRESSURE = 0.1;

double log_pressure_of(int node) {
  return LOG_BOTTOM - STEP * node;
}

// The table interval [node, node + 1] holding `log_pressure`, kept within [low, high - 1].
int interval_of(double log_pressure, int low, int high) {
  // Compared as a double first, so that no value (not even NaN) is cast out of range.
  const double node = std::floor((LOG_BOTTOM - log_pressure) * PER_STEP);
  const int top = std::max(low, high - 1);
  if (!(node > low)) return low;
  return node < top ? static_cast<int>(node) : top;
}

double rk4_step(double t, double x, double h) {
  const auto f = [](double temperature, double log_p) {
    return moist_log_lapse_rate(temperature, std::exp(log_p));
  };
  const double k1 = f(t, x);
  const double k2 = f(t + 0.5 * h * k1, x + 0.5 * h);
  const double k3 = f(t + 0.5 * h * k2, x + 0.5 * h);
  const double k4 = f(t + h * k3, x + h);
  return t + h * (k1 + 2 * k2 + 2 * k3 + k4) / 6.0;
}

// The virtual temperature (K) of saturated air at `t` (K) and ln p `x`, and its slope along
// the adiabat whose slope dT/d(ln p) there is `slope`: Tv = T g(r) with g = (1 + r/eps)/(1 + r),
// r = eps e / (p - e) and e = f(p) es(T), differentiated through es (Bolton) and f (Buck).
AdiabatNode node_at(double t, double slope, double x) {
  AdiabatNode node{t, slope, t, slope};
  if (t < 120) return node;  // no vapour worth counting
  const double p = std::exp(x), celsius = t - ZERO_CELSIUS;
  const double f = enhancement_factor(p);
  const double e = f * saturation_vapour_pressure(t);
  const double r = EPSILON * e / (p - e);
  const double de = e * (17.67 * 243.5 / ((celsius + 243.5) * (celsius + 243.5)) * slope +
                         3.46e-6 * p / f);  // de/d(ln p)
  const double dr = EPSILON * (de * (p - e) - e * (p - de)) / ((p - e) * (p - e));
  const double g = (1 + r / EPSILON) / (1 + r);
  node.virtual_temperature = t * g;
  node.virtual_slope = slope * g + t * (1 / EPSILON - 1) / ((1 + r) * (1 + r)) * dr;
  return node;
}

// Integrates the adiabat through `t` at ln p `x` to the table pressures first..last (first at
// or below x in height) and writes their nodes.
void march(double t, double x, int first, int last, AdiabatNode* nodes) {
  const double to_first = log_pressure_of(first) - x;
  const int steps = std::max(1, static_cast<int>(std::ceil(std::fabs(to_first) / STEP * 4)));
  for (int i = 0; i < steps; ++i) t = rk4_step(t, x + i * to_first / steps, to_first / steps);
  for (int node = first; node <= last; ++node) {
    const double xn = log_pressure_of(node);
    if (node > first) {
      for (int i = 0; i < SUBSTEPS; ++i) {
        t = rk4_step(t, xn + STEP - i * STEP / SUBSTEPS, -STEP / SUBSTEPS);
      }
    }
    nodes[node - first] = node_at(t, moist_log_lapse_rate(t, std::exp(xn)), xn);
  }
}

// Cubic Hermite interpolation at `x` of a value and its slope given at the nodes from `first`,
// in the interval starting at `node`.
double hermite(const AdiabatNode* nodes, double AdiabatNode::*value, double AdiabatNode::*slope,
               int first, int node, double x) {
  const double u = (log_pressure_of(node) - x) * PER_STEP;
  const double u2 = u * u, u3 = u2 * u;
  const AdiabatNode& a = nodes[node - first];
  const AdiabatNode& b = nodes[node - first + 1];
  return (2 * u3 - 3 * u2 + 1) * a.*value + (u3 - 2 * u2 + u) * -STEP * a.*slope +
         (-2 * u3 + 3 * u2) * b.*value + (u3 - u2) * -STEP * b.*slope;
}

// The rows are integrated when first needed: a set of soundings uses a few dozen of them.
class Table {
 public:
  Table() : nodes_(ROWS * NODES), built_(ROWS) {}
  // Row `row`'s nodes at all the table's pressures.
  const AdiabatNode* row(int row) const {
    const size_t at = static_cast<size_t>(row) * NODES;
    std::call_once(built_[static_cast<size_t>(row)],
                   [&] { march(COLDEST_ROW + row, std::log(1000.0), 0, NODES - 1, &nodes_[at]); });
    return &nodes_[at];
  }
  double at(int r, int node, double x) const {
    return hermite(row(r), &AdiabatNode::temperature, &AdiabatNode::slope, 0, node, x);
  }

 private:
  mutable std::vector<AdiabatNode> nodes_;
  mutable std::vector<std::once_flag> built_;
};

const Table& table() {
  static const Table instance;
  return instance;
}

// The weights of cubic Lagrange interpolation through rows -1, 0, 1, 2 at `u`.
void lagrange_weights(double u, double w[4]) {
  w[0] = -u * (u - 1) * (u - 2) / 6;
  w[1] = (u + 1) * (u - 1) * (u - 2) / 2;
  w[2] = -(u + 1) * u * (u - 2) / 2;
  w[3] = (u + 1) * u * (u - 1) / 6;
}

// The row `a` and fraction `u` (0-1) between rows a and a + 1 of the adiabat through `t` at
// `x` (in interval `node`); false when it lies outside the rows that cubic interpolation can
// use.
bool find_row(const Table& tab, double t, double x, int node, int& a, double& u) {
  int lo = 1, hi = ROWS - 2;
  if (!(tab.at(lo, node, x) <= t && t < tab.at(hi, node, x))) return false;
  while (hi - lo > 1) {
    const int mid = (lo + hi) / 2;
    (tab.at(mid, node, x) <= t ? lo : hi) = mid;
  }
  a = lo;
  double y[4];
  for (int k = 0; k < 4; ++k) y[k] = tab.at(a - 1 + k, node, x);
  u = (t - y[1]) / (y[2] - y[1]);
  for (int iteration = 0; iteration < 8; ++iteration) {
    double w[4];
    lagrange_weights(u, w);
    const double value = w[0] * y[0] + w[1] * y[1] + w[2] * y[2] + w[3] * y[3];
    u += (t - value) / (y[2] - y[1]);
  }
  return true;
}

}  // namespace

double moist_log_lapse_rate(double temperature, double pressure) {
  if (temperature < 120) return KAPPA * temperature;
  return moist_lapse_rate(temperature, pressure) * pressure;
}

// The adiabat through `temperature` at `pressure`, made for the pressures from `bottom_pressure`
// (at least `pressure`) up to `top_pressure`.
MoistAdiabat adiabat_between(double temperature, double pressure, double bottom_pressure,
                             double top_pressure) {
  const auto log_of = [](double p) { return std::log(std::clamp(p, MIN_TABLE_PRESSURE, 1100.0)); };
  const double x = log_of(pressure), x_top = log_of(top_pressure);
  MoistAdiabat adiabat;
  adiabat.first_ = interval_of(log_of(std::max(pressure, bottom_pressure)), 0, NODES - 1);
  const int last = std::max(adiabat.first_ + 1, interval_of(x_top, 0, NODES - 1) + 1);
  const size_t count = static_cast<size_t>(last - adiabat.first_ + 1);
  adiabat.nodes_.assign(count, AdiabatNode{});
  const Table& tab = table();
  int a = 0;
  double u = 0;
  if (!find_row(tab, temperature, x, interval_of(x, 0, NODES - 1), a, u)) {
    march(temperature, x, adiabat.first_, last, adiabat.nodes_.data());
    return adiabat;
  }
  double w[4];
  lagrange_weights(u, w);
  const AdiabatNode* rows[4];
  for (int k = 0; k < 4; ++k) rows[k] = tab.row(a - 1 + k);
  for (size_t i = 0; i < count; ++i) {
    const size_t n = static_cast<size_t>(adiabat.first_) + i;
    AdiabatNode& node = adiabat.nodes_[i];
    for (int k = 0; k < 4; ++k) {
      node.temperature += w[k] * rows[k][n].temperature;
      node.slope += w[k] * rows[k][n].slope;
      node.virtual_temperature += w[k] * rows[k][n].virtual_temperature;
      node.virtual_slope += w[k] * rows[k][n].virtual_slope;
    }
  }
  return adiabat;
}

MoistAdiabat moist_adiabat_through(double temperature, double pressure, double top_pressure) {
  return adiabat_between(temperature, pressure, pressure, top_pressure);
}

double wet_bulb_temperature(double temperature, double dew_point, double pressure) {
  const CondensationLevel lcl = condensation_level(temperature, dew_point, pressure);
  if (!(lcl.pressure < pressure)) return temperature;
  return adiabat_between(lcl.temperature, lcl.pressure, pressure, lcl.pressure)
      .temperature(std::log(pressure));
}

double MoistAdiabat::temperature(double log_pressure) const {
  double t, tv;
  read(log_pressure, t, tv);
  return t;
}

double MoistAdiabat::virtual_temperature(double log_pressure) const {
  double t, tv;
  read(log_pressure, t, tv);
  return tv;
}

void MoistAdiabat::read(double log_pressure, double& temperature, double& virtual_t) const {
  AdiabatNode node;
  read(log_pressure, node);
  temperature = node.temperature, virtual_t = node.virtual_temperature;
}

void MoistAdiabat::read(double log_pressure, AdiabatNode& out) const {
  const int last = first_ + static_cast<int>(nodes_.size()) - 1;
  const int node = interval_of(log_pressure, first_, last);
  const double u = (log_pressure_of(node) - log_pressure) * PER_STEP;
  const double u2 = u * u, u3 = u2 * u;
  const double h00 = 2 * u3 - 3 * u2 + 1, h10 = (u3 - 2 * u2 + u) * -STEP;
  const double h01 = -2 * u3 + 3 * u2, h11 = (u3 - u2) * -STEP;
  // d/d(ln p) of the same cubics: d/du times du/d(ln p) = -1 / STEP.
  const double d00 = (6 * u2 - 6 * u) * -PER_STEP, d10 = (3 * u2 - 4 * u + 1);
  const double d01 = (-6 * u2 + 6 * u) * -PER_STEP, d11 = (3 * u2 - 2 * u);
  const AdiabatNode& a = nodes_[static_cast<size_t>(node - first_)];
  const AdiabatNode& b = nodes_[static_cast<size_t>(node - first_ + 1)];
  out.temperature = h00 * a.temperature + h10 * a.slope + h01 * b.temperature + h11 * b.slope;
  out.virtual_temperature = h00 * a.virtual_temperature + h10 * a.virtual_slope +
                            h01 * b.virtual_temperature + h11 * b.virtual_slope;
  out.slope = d00 * a.temperature + d10 * a.slope + d01 * b.temperature + d11 * b.slope;
  out.virtual_slope = d00 * a.virtual_temperature + d10 * a.virtual_slope +
                      d01 * b.virtual_temperature + d11 * b.virtual_slope;
}

}  // namespace wxfetch
