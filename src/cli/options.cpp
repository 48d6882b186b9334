#include "cli/options.h"

#include <getopt.h>

#include <cstdlib>
#include <iterator>
#include <ostream>

namespace wxfetch {

namespace {

// Each option of the vocabulary once; a program takes the ones it reads.
constexpr option VOCABULARY[] = {
    {"archive", required_argument, nullptr, OPTION_ARCHIVE},
    {"support", required_argument, nullptr, OPTION_SUPPORT},
    {"from", required_argument, nullptr, OPTION_FROM},
    {"to", required_argument, nullptr, OPTION_TO},
    {"hours", required_argument, nullptr, OPTION_HOURS},
    {"wmo", required_argument, nullptr, OPTION_WMO},
    {"wban", required_argument, nullptr, OPTION_WBAN},
    {"stations-file", required_argument, nullptr, OPTION_STATIONS_FILE},
    {"box", required_argument, nullptr, OPTION_BOX},
    {"region", required_argument, nullptr, OPTION_REGION},
    {"all-stations", no_argument, nullptr, OPTION_ALL_STATIONS},
    {"levels", required_argument, nullptr, OPTION_LEVELS},
    {"output", required_argument, nullptr, OPTION_OUTPUT},
    {"format", required_argument, nullptr, OPTION_FORMAT},
    {"quiet", no_argument, nullptr, OPTION_QUIET},
    {"help", no_argument, nullptr, OPTION_HELP},
    {"version", no_argument, nullptr, OPTION_VERSION},
};

// wxget's own options.
enum GetCode : int { UNITS = FIRST_PROGRAM_OPTION, SORT, FILES, LIST_STATIONS, CENTRE, COLUMNS };

constexpr option GET_OPTIONS[] = {
    {"units", required_argument, nullptr, UNITS},
    {"sort", required_argument, nullptr, SORT},
    {"files", required_argument, nullptr, FILES},
    {"list-stations", no_argument, nullptr, LIST_STATIONS},
    {"centre", required_argument, nullptr, CENTRE},
    {"columns", required_argument, nullptr, COLUMNS},
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

// Applies one of the station options; returns "" or the usage error.
std::string apply_station_option(int code, std::string_view value, SelectionOptions& o) {
  switch (code) {
    case OPTION_WMO:
    case OPTION_WBAN:
      if (!parse_number_list(value, o.numbers)) {
        return bad_value(code == OPTION_WMO ? "wmo" : "wban", value,
                         "a list of station numbers N[,N...]");
      }
      count_station_option(o, code == OPTION_WMO ? StationOption::WMO : StationOption::WBAN);
      return "";
    case OPTION_STATIONS_FILE:
      o.stations_file = value;
      count_station_option(o, StationOption::FILE);
      return "";
    case OPTION_BOX:
      if (!parse_box(value, o.box)) return bad_value("box", value, "SOUTH,NORTH,WEST,EAST");
      count_station_option(o, StationOption::BOX);
      return "";
    case OPTION_REGION:
      if (value != "north-america") return bad_value("region", value, "north-america");
      count_station_option(o, StationOption::REGION);
      return "";
    case OPTION_ALL_STATIONS:
      count_station_option(o, StationOption::ALL);
      return "";
  }
  return "unknown option";
}

// The value of the environment variable `name`; "" when it is unset.
std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

std::vector<option> vocabulary_options(std::initializer_list<int> codes) {
  std::vector<option> table;
  for (const int code : codes) {
    for (const option& entry : VOCABULARY) {
      if (entry.val == code) table.push_back(entry);
    }
  }
  return table;
}

const char* installed_support_directory() {
  return WXFETCH_INSTALLED_SUPPORT;
}

void apply_directory_defaults(SelectionOptions& o) {
  if (o.archive.empty()) o.archive = environment(ARCHIVE_VARIABLE);
  if (!o.support.empty()) return;
  o.support = environment(SUPPORT_VARIABLE);
  o.support_source = DirectorySource::ENVIRONMENT;
  if (!o.support.empty()) return;
  o.support = installed_support_directory();
  o.support_source = DirectorySource::INSTALLED;
}

std::string support_error(const std::string& error, DirectorySource source) {
  const char* origin = source == DirectorySource::ENVIRONMENT ? ", here WXFETCH_SUPPORT"
                       : source == DirectorySource::INSTALLED ? ", here the installed one"
                                                              : "";
  return error + " (the folder of the station tables: --support DIR" + origin + ")";
}

bool apply_common_flag(int code, CommonFlags& flags) {
  bool* const set = code == OPTION_QUIET     ? &flags.quiet
                    : code == OPTION_HELP    ? &flags.help
                    : code == OPTION_VERSION ? &flags.version
                                             : nullptr;
  if (set != nullptr) *set = true;
  return set != nullptr;
}

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
    case OPTION_ARCHIVE:
      o.archive = value;
      return "";
    case OPTION_SUPPORT:
      o.support = value;
      return "";
    case OPTION_FROM:
    case OPTION_TO:
      if (!is_date_text(value)) {
        return bad_value(code == OPTION_FROM ? "from" : "to", value, "YYYYMMDDHH");
      }
      (code == OPTION_FROM ? o.from : o.to) = value;
      return "";
    case OPTION_HOURS:
      if (!pick(value, HOUR_WORDS, hours)) return bad_value("hours", value, "all, 00+12, 00 or 12");
      o.hours = hours;
      return "";
    case OPTION_LEVELS:
      if (!pick(value, LEVEL_WORDS, o.levels)) {
        return bad_value("levels", value, "all, mandatory or significant");
      }
      return "";
  }
  return apply_station_option(code, value, o);
}

namespace {

// BUFR's originating centre, 0 to 65534 (65535 is its missing value).
std::string parse_centre(std::string_view value, std::optional<int>& centre) {
  if (value.empty() || value.size() > 5 || value.find_first_not_of("0123456789") != value.npos ||
      std::stoi(std::string(value)) > 65534) {
    return bad_value("centre", value, "a centre number from 0 to 65534");
  }
  centre = std::stoi(std::string(value));
  return "";
}

// Applies one of wxget's own options; returns "" or its error.
std::string apply_get(int code, std::string_view value, GetOptions& o) {
  static constexpr std::pair<const char*, GetFormat> FORMAT_WORDS[] = {
      {"kvt", GetFormat::KVT},         {"kvt-100mb", GetFormat::KVT_100MB},
      {"faa604", GetFormat::FAA604},   {"csv", GetFormat::CSV},
      {"json", GetFormat::JSON},       {"netcdf", GetFormat::NETCDF},
      {"wyoming", GetFormat::WYOMING}, {"bufr", GetFormat::BUFR}};  // bufr: with ecCodes only
  static constexpr std::pair<const char*, WindUnits> UNIT_WORDS[] = {{"kt", WindUnits::KNOTS},
                                                                     {"ms", WindUnits::TENTHS_MS}};
  static constexpr std::pair<const char*, SortOrder> SORT_WORDS[] = {
      {"time", SortOrder::SYNOPTIC}, {"station", SortOrder::CLIMATOLOGICAL}};
  WindUnits units{};
  SortOrder sort{};
  switch (code) {
    case OPTION_FORMAT:
      return pick(value, FORMAT_WORDS, o.format)
                 ? ""
                 : bad_value("format", value,
                             "kvt, kvt-100mb, faa604, csv, json, netcdf, wyoming or bufr");
    case UNITS:
      if (!pick(value, UNIT_WORDS, units)) return bad_value("units", value, "kt or ms");
      o.units = units;
      return "";
    case SORT:
      if (!pick(value, SORT_WORDS, sort)) return bad_value("sort", value, "time or station");
      o.sort = sort;
      return "";
    case OPTION_OUTPUT:
      if (value.empty()) return "--output: the directory is empty (- for standard output)";
      o.output = value;
      return "";
    case FILES:
      o.files = value;
      return "";
    case LIST_STATIONS:
      o.list_stations = true;
      return "";
    case CENTRE:
      return parse_centre(value, o.centre);
    case COLUMNS:
      o.columns = value;
      return "";
  }
  if (apply_common_flag(code, o.flags)) return "";
  return apply_selection_option(code, value, o.selection);
}

}  // namespace

int answer_usage(const char* program, const std::string& usage_error, const CommonFlags& flags,
                 const char* usage, std::ostream& out, std::ostream& err) {
  if (!usage_error.empty()) {
    err << program << ": " << usage_error << "\nTry '" << program << " --help'.\n";
    return 2;
  }
  if (!flags.help && !flags.version) return -1;
  if (flags.help) {
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
  if (outcome.status != 0 && !outcome.message.empty()) {
    err << program << ": " << outcome.message << "\n";
  }
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

std::string parse_one_number(const char* option, std::string_view text, int32_t& number) {
  std::vector<int32_t> numbers;
  if (!parse_number_list(text, numbers) || numbers.size() != 1) {
    return bad_value(option, text, "a station number");
  }
  number = numbers[0];
  return "";
}

namespace {

// The short options of `table`: the entries whose code is a letter, in getopt's form.
std::string short_options(const std::vector<option>& table, bool operands) {
  // "+": stop at the first operand when none are wanted, so that it is reported; ":": a missing
  // value is told apart from an unknown option.
  std::string text = operands ? ":" : "+:";
  for (const option& entry : table) {
    if (entry.val <= 0 || entry.val >= 128) continue;
    text += static_cast<char>(entry.val);
    if (entry.has_arg == required_argument) text += ':';
  }
  return text;
}

}  // namespace

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
  const std::string letters = short_options(table, operands != nullptr);
  optind = 0;  // a fresh scan, also when an earlier one stopped early
  opterr = 0;
  const int argc = static_cast<int>(words.size());
  for (;;) {
    const int code = getopt_long(argc, argv.data(), letters.c_str(), options.data(), nullptr);
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
  const std::vector<option> common =
      vocabulary_options({OPTION_OUTPUT, OPTION_FORMAT, OPTION_QUIET, OPTION_HELP, OPTION_VERSION});
  table.insert(table.end(), common.begin(), common.end());
  table.insert(table.end(), std::begin(GET_OPTIONS), std::end(GET_OPTIONS));
  const std::string error = parse_long_options(args, table, [&](int code, std::string_view value) {
    return apply_get(code, value, options);
  });
  apply_directory_defaults(options.selection);
  if (!error.empty()) return error;
  if (options.format == GetFormat::FAA604 && options.units == WindUnits::TENTHS_MS) {
    return "FAA604 messages give winds in knots only (--units kt)";
  }
  if (options.output == "-" && !options.files.empty()) return "--files needs an output directory";
  if (options.centre && options.format != GetFormat::BUFR) {
    return "--centre goes with --format bufr";
  }
  return "";
}

std::vector<option> selection_option_table() {
  return vocabulary_options({OPTION_ARCHIVE, OPTION_SUPPORT, OPTION_FROM, OPTION_TO, OPTION_HOURS,
                             OPTION_WMO, OPTION_WBAN, OPTION_STATIONS_FILE, OPTION_BOX,
                             OPTION_REGION, OPTION_ALL_STATIONS, OPTION_LEVELS});
}

}  // namespace wxfetch
