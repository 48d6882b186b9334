#include "cli/options.h"

#include <getopt.h>

#include <cstdlib>
#include <iterator>
#include <ostream>

namespace wxfetch {

namespace {

enum Code : int {
  ARCHIVE = 256,
  SUPPORT,
  FROM,
  TO,
  HOURS,
  WMO,
  WBAN,
  STATIONS_FILE,
  BOX,
  REGION,
  ALL_STATIONS,
  LEVELS,
  FORMAT,
  UNITS,
  SORT,
  OUTPUT,
  FILES,
  LIST_STATIONS,
  VERSION,
  HELP = 'h',
  QUIET = 'q',
};

constexpr option SELECTION_OPTIONS[] = {
    {"archive", required_argument, nullptr, ARCHIVE},
    {"support", required_argument, nullptr, SUPPORT},
    {"from", required_argument, nullptr, FROM},
    {"to", required_argument, nullptr, TO},
    {"hours", required_argument, nullptr, HOURS},
    {"wmo", required_argument, nullptr, WMO},
    {"wban", required_argument, nullptr, WBAN},
    {"stations-file", required_argument, nullptr, STATIONS_FILE},
    {"box", required_argument, nullptr, BOX},
    {"region", required_argument, nullptr, REGION},
    {"all-stations", no_argument, nullptr, ALL_STATIONS},
    {"levels", required_argument, nullptr, LEVELS},
};

constexpr option GET_OPTIONS[] = {
    {"format", required_argument, nullptr, FORMAT},
    {"units", required_argument, nullptr, UNITS},
    {"sort", required_argument, nullptr, SORT},
    {"output", required_argument, nullptr, OUTPUT},
    {"files", required_argument, nullptr, FILES},
    {"quiet", no_argument, nullptr, QUIET},
    {"list-stations", no_argument, nullptr, LIST_STATIONS},
    {"help", no_argument, nullptr, HELP},
    {"version", no_argument, nullptr, VERSION},
};

// Finds `word` among `words` and sets `value` to its match; false when it is none of them.
template <typename T, size_t N>
bool pick(std::string_view word, const std::pair<const char*, T> (&words)[N], T& value) {
  for (const auto& [name, choice] : words) {
    if (word == name) {
      value = choice;
      return true;
    }
  }
  return false;
}

// Ten digits.
bool is_date_text(std::string_view text) {
  if (text.size() != 10) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool parse_box(std::string_view text, float (&box)[4]) {
  std::string copy(text);
  const char* at = copy.c_str();
  for (int i = 0; i < 4; ++i) {
    char* end = nullptr;
    box[i] = std::strtof(at, &end);
    if (end == at || *end != (i < 3 ? ',' : '\0')) return false;
    at = end + 1;
  }
  return true;
}

std::string bad_value(const char* option, std::string_view value, const char* expected) {
  return "--" + std::string(option) + ": '" + std::string(value) + "' is not " + expected;
}

void count_station_option(SelectionOptions& o, StationOption choice) {
  o.stations = choice;
  ++o.station_options;
}

}  // namespace

std::string apply_selection_option(int code, std::string_view value, SelectionOptions& o) {
  static constexpr std::pair<const char*, SoundingHours> HOUR_WORDS[] = {
      {"all", SoundingHours::ALL},
      {"00+12", SoundingHours::ZERO_AND_TWELVE},
      {"00", SoundingHours::ZERO},
      {"12", SoundingHours::TWELVE}};
  static constexpr std::pair<const char*, LevelSelection> LEVEL_WORDS[] = {
      {"all", LevelSelection::ALL},
      {"mandatory", LevelSelection::MANDATORY},
      {"significant", LevelSelection::MANDATORY_AND_SIGNIFICANT}};
  SoundingHours hours{};
  switch (code) {
    case ARCHIVE:
      o.archive = value;
      return "";
    case SUPPORT:
      o.support = value;
      return "";
    case FROM:
    case TO:
      if (!is_date_text(value)) return bad_value(code == FROM ? "from" : "to", value, "YYYYMMDDHH");
      (code == FROM ? o.from : o.to) = value;
      return "";
    case HOURS:
      if (!pick(value, HOUR_WORDS, hours)) return bad_value("hours", value, "all, 00+12, 00 or 12");
      o.hours = hours;
      return "";
    case WMO:
    case WBAN:
      if (!parse_number_list(value, o.numbers)) {
        return bad_value(code == WMO ? "wmo" : "wban", value, "a list of station numbers N[,N...]");
      }
      count_station_option(o, code == WMO ? StationOption::WMO : StationOption::WBAN);
      return "";
    case STATIONS_FILE:
      o.stations_file = value;
      count_station_option(o, StationOption::FILE);
      return "";
    case BOX:
      if (!parse_box(value, o.box)) return bad_value("box", value, "SOUTH,NORTH,WEST,EAST");
      count_station_option(o, StationOption::BOX);
      return "";
    case REGION:
      if (value != "north-america") return bad_value("region", value, "north-america");
      count_station_option(o, StationOption::REGION);
      return "";
    case ALL_STATIONS:
      count_station_option(o, StationOption::ALL);
      return "";
    case LEVELS:
      if (!pick(value, LEVEL_WORDS, o.levels)) {
        return bad_value("levels", value, "all, mandatory or significant");
      }
      return "";
  }
  return "unknown option";
}

namespace {

// Applies one of wxget's own options; returns "" or its error.
std::string apply_get(int code, std::string_view value, GetOptions& o) {
  static constexpr std::pair<const char*, GetFormat> FORMAT_WORDS[] = {
      {"kvt", GetFormat::KVT},
      {"kvt-100mb", GetFormat::KVT_100MB},
      {"faa604", GetFormat::FAA604},
      {"csv", GetFormat::CSV},
      {"json", GetFormat::JSON}};
  static constexpr std::pair<const char*, WindUnits> UNIT_WORDS[] = {{"kt", WindUnits::KNOTS},
                                                                     {"ms", WindUnits::TENTHS_MS}};
  static constexpr std::pair<const char*, SortOrder> SORT_WORDS[] = {
      {"time", SortOrder::SYNOPTIC}, {"station", SortOrder::CLIMATOLOGICAL}};
  WindUnits units{};
  SortOrder sort{};
  switch (code) {
    case FORMAT:
      return pick(value, FORMAT_WORDS, o.format)
                 ? ""
                 : bad_value("format", value, "kvt, kvt-100mb, faa604, csv or json");
    case UNITS:
      if (!pick(value, UNIT_WORDS, units)) return bad_value("units", value, "kt or ms");
      o.units = units;
      return "";
    case SORT:
      if (!pick(value, SORT_WORDS, sort)) return bad_value("sort", value, "time or station");
      o.sort = sort;
      return "";
    case OUTPUT:
      if (value.empty()) return "--output: the directory is empty (- for standard output)";
      o.output = value;
      return "";
    case FILES:
      o.files = value;
      return "";
  }
  const std::pair<int, bool*> flags[] = {
      {QUIET, &o.quiet}, {LIST_STATIONS, &o.list_stations}, {HELP, &o.help}, {VERSION, &o.version}};
  for (const auto& [flag, set] : flags) {
    if (code == flag) {
      *set = true;
      return "";
    }
  }
  return apply_selection_option(code, value, o.selection);
}

}  // namespace

int answer_usage(const char* program, const std::string& usage_error, bool help, bool version,
                 const char* usage, std::ostream& out, std::ostream& err) {
  if (!usage_error.empty()) {
    err << program << ": " << usage_error << "\nTry '" << program << " --help'.\n";
    return 2;
  }
  if (!help && !version) return -1;
  if (help) {
    out << usage;
  } else {
    out << program << " " WXFETCH_VERSION "\n";
  }
  out.flush();
  return 0;
}

int finish_program(const char* program, const Outcome& outcome, std::ostream& out,
                   std::ostream& err) {
  out.flush();
  if (outcome.status != 0) err << program << ": " << outcome.message << "\n";
  err.flush();
  return outcome.status;
}

bool parse_number_list(std::string_view text, std::vector<int32_t>& numbers) {
  if (text.empty()) return false;
  size_t at = 0;
  while (at <= text.size()) {
    const size_t comma = std::min(text.find(',', at), text.size());
    const std::string_view item = text.substr(at, comma - at);
    if (item.empty() || item.size() > 6) return false;
    int32_t number = 0;
    for (const char c : item) {
      if (c < '0' || c > '9') return false;
      number = number * 10 + (c - '0');
    }
    if (number == 0) return false;
    numbers.push_back(number);
    at = comma + 1;
  }
  return true;
}

std::string parse_long_options(const std::vector<std::string>& args,
                               const std::vector<option>& table, const OptionHandler& apply,
                               std::vector<std::string>* operands) {
  std::vector<std::string> words{"wx"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<option> options = table;
  options.push_back(option{nullptr, 0, nullptr, 0});
  optind = 0;  // a fresh scan, also when an earlier one stopped early
  opterr = 0;
  const int argc = static_cast<int>(words.size());
  // "+": stop at the first operand when none are wanted, so that it is reported.
  const char* short_options = operands == nullptr ? "+:hq" : ":hq";
  for (;;) {
    const int code = getopt_long(argc, argv.data(), short_options, options.data(), nullptr);
    if (code == -1) break;
    const std::string_view arg = argv[optind - 1];
    if (code == '?') return "unknown option '" + std::string(arg) + "'";
    if (code == ':') return "option '" + std::string(arg) + "' needs a value";
    const std::string error = apply(code, optarg != nullptr ? optarg : "");
    if (!error.empty()) return error;
  }
  if (operands != nullptr) {
    operands->assign(argv.begin() + optind, argv.begin() + argc);
  } else if (optind < argc) {
    return "unexpected argument '" + std::string(argv[optind]) + "'";
  }
  return "";
}

std::string parse_get_options(const std::vector<std::string>& args, GetOptions& options) {
  std::vector<option> table = selection_option_table();
  table.insert(table.end(), std::begin(GET_OPTIONS), std::end(GET_OPTIONS));
  return parse_long_options(args, table, [&](int code, std::string_view value) {
    return apply_get(code, value, options);
  });
}

std::vector<option> selection_option_table() {
  return {std::begin(SELECTION_OPTIONS), std::end(SELECTION_OPTIONS)};
}

}  // namespace wxfetch
