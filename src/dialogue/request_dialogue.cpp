#include "dialogue/request_dialogue.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string_view>

#include "base/input_file.h"
#include "base/text.h"
#include "console/ask.h"
#include "console/reply.h"
#include "database/archive_names.h"
#include "dialogue/archive_years.h"
#include "dialogue/console_reporters.h"
#include "dialogue/program.h"
#include "dialogue/validators.h"
#include "extraction/extraction.h"
#include "output/output_files.h"
#include "output/output_stream.h"
#include "output/writer_choice.h"
#include "records/access_request.h"
#include "records/request_defaults.h"
#include "stations/selection.h"

namespace wxfetch {

namespace {

// Closes a date default and brings the cursor back over its ten digits.
constexpr const char* DATE_DEFAULT_END = "]\b\b\b\b\b\b\b\b\b\b\b";
// The station list file is read in pieces of at most 33 characters.
constexpr size_t STATION_PIECE_BUFFER = 34;
constexpr int16_t MAX_TYPED_STATIONS = 100;

int16_t to_int16(long value) {
  return static_cast<int16_t>(std::clamp<long>(value, INT16_MIN, INT16_MAX));
}

int32_t to_int32(long value) {
  return static_cast<int32_t>(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}

// The date value of a date text: the text read as a decimal integer (0 without a number).
long date_value(const std::string& text) {
  long value = 0;
  scan_long(text, value);
  return value;
}

// True when the date YYYYMMDDHH has a year of the database, a month 1 to 12, a day 1 to 31 (any
// month) and an hour 0 to 23.
bool date_in_range(const ProgramContext& ctx, long value) {
  const long year = value / 1000000;
  const long month = value / 10000 % 100;
  const long day = value / 100 % 100;
  const long hour = value % 100;
  return year >= ctx.first_year && year <= ctx.last_year && month >= 1 && month <= 12 && day >= 1 &&
         day <= 31 && hour >= 0 && hour <= 23;
}

// Asks a date question showing `shown` until the reply is empty or ten digits; returns the
// reply, or `shown` for an empty reply.
std::string ask_date_text(ProgramContext& ctx, std::string_view prompt, const std::string& shown) {
  const std::string question = std::string(prompt) + "[" + shown + DATE_DEFAULT_END;
  std::string reply;
  for (;;) {
    if (ask(ctx, question, reply, "INPUT_DATES")) continue;
    if (!reply.empty() && reply.size() != 10) {
      ctx.out << " ERROR - date string must have 10 digits\n\n";
      continue;
    }
    if (validate_date(ctx.out, reply) == 0) continue;
    return reply.empty() ? shown : reply;
  }
}

// Asks a date question, offering `shown()`, until the date lies in the years of the database
// with a month, day and hour in range; after a date out of range prints `range_error` and looks
// for the years again. Keeps the text and its value in `text` and `value`, also when rejected.
template <typename Shown>
void ask_date(ProgramContext& ctx, std::string_view prompt, Shown shown, std::string& text,
              int32_t& value, const char* range_error) {
  for (;;) {
    text = ask_date_text(ctx, prompt, shown());
    const long number = date_value(text);
    value = to_int32(number);
    if (date_in_range(ctx, number)) return;
    ctx.out << range_error;
    discover_years(ctx);
  }
}

// Asks for the beginning and ending dates until both are in range and in order; sets
// default_date to the accepted beginning date.
void ask_period(ProgramContext& ctx, bool first_request) {
  AccessRequest& request = ctx.request;
  for (;;) {
    ask_date(
        ctx, "\n What is the beginning date? YYYYMMDDHH ",
        [&] { return first_request ? ctx.default_date : request.begin_date; }, request.begin_date,
        request.begin_value, "\n ERROR - beginning date out of range\n\n");
    ask_date(
        ctx, " What is the ending date? YYMMDDHH ",
        [&] {
          const bool from_begin = first_request || request.end_value < request.begin_value;
          return from_begin ? request.begin_date : request.end_date;
        },
        request.end_date, request.end_value, " ERROR - ending date out of range\n\n");
    if (request.begin_value <= request.end_value) break;
    ctx.out << " ERROR - beginning date is greater than ending date\n\n";
  }
  ctx.default_date = request.begin_date;
}

void ask_hours(ProgramContext& ctx) {
  AccessRequest& request = ctx.request;
  if (const auto hours = settled_choices(request, ctx.selected.station_count).hours) {
    request.hours = *hours;
    return;
  }
  ask_menu(ctx,
           "\n What GMT sounding hour(s) do you want?\n"
           "      0  -  All times\n"
           "      1  -  0z and 12z only\n"
           "      2  -  0z only\n"
           "      3  -  12z only\n"
           " Your Choice? ",
           "INPUT_HOUR", request.hours, SoundingHours::TWELVE);
}

// Reads the station list file into the requested numbers, one element per piece of at most 33
// characters; a piece without a number leaves its element as it was. Returns the number of
// elements read, at most MAX_STATION_ROWS (a warning says when the piece after them holds a
// number, which is left out like everything after it).
int16_t read_station_file(ProgramContext& ctx, std::istream& file) {
  const bool wban = ctx.request.station_id_type == StationIdType::WBAN;
  std::string piece;
  int count = 0;
  while (read_piece(file, piece, STATION_PIECE_BUFFER)) {
    long number = 0;
    const bool has_number = scan_long(piece, number);
    if (count == MAX_STATION_ROWS) {
      // Only the piece after a full table is looked at, so that a file without end (a device
      // named by mistake) cannot keep the dialogue reading.
      if (has_number) ctx.out << " WARNING: only the first 2000 stations of the file are used\n";
      break;
    }
    StationNumbers& element = ctx.selected.stations[count++];
    if (has_number) (wban ? element.wban : element.wmo) = to_int32(number);
  }
  return static_cast<int16_t>(count);
}

// Asks for each requested station number in turn; an empty reply keeps the number shown.
void ask_each_station_number(ProgramContext& ctx) {
  const bool wban = ctx.request.station_id_type == StationIdType::WBAN;
  std::string reply;
  for (int i = 0; i < ctx.selected.station_count; ++i) {
    StationNumbers& element = ctx.selected.stations[i];
    int32_t& number = wban ? element.wban : element.wmo;
    for (;;) {
      const std::string question =
          wban ? cformat(" WBAN station number? %5ld%s", static_cast<long>(number),
                         number <= 9999 ? "\b\b\b\b" : "\b\b\b\b\b")
               : cformat(" WMO station number? %5ld\b\b\b\b\b", static_cast<long>(number));
      if (ask(ctx, question, reply, "STATION_NUMBER")) continue;
      if (validate_station_number(ctx.out, reply) == 0) continue;
      long value = 0;
      if (scan_long(reply, value)) number = to_int32(value);
      break;
    }
  }
}

// Access by station number: the kind of numbers, then either a list file or a count and the
// typed numbers.
void ask_station_numbers(ProgramContext& ctx) {
  AccessRequest& request = ctx.request;
  SelectedStations& selected = ctx.selected;
  ask_menu(ctx,
           "\n\t\t Station Number Access\n\n"
           " What type of station numbers are you using? [WMO=0, WBAN=1] ",
           "STATION_TYPE", request.station_id_type, StationIdType::WBAN);
  std::string reply;
  for (;;) {
    if (ask_yes_no(ctx, " Do you have a file containing this list of stations? [Y/N] [N]\b\b",
                   "STATION_FILE")) {
      while (ask(ctx, "\n  Enter the full name of this file: ", reply, "STATFILE_NAME")) {
      }
      const std::unique_ptr<InputFile> file = InputFile::open(reply);
      if (file == nullptr) {
        ctx.out << "\n  ERROR -  station file: " << reply << " does not exist \n";
        continue;
      }
      selected.station_count = read_station_file(ctx, *file);
      ctx.out << cformat("\n STATUS:  %d stations read from file: ", selected.station_count)
              << reply << "\n\n";
      return;
    }

    int32_t& count = selected.station_count;
    if (request.station_id_type == StationIdType::WMO) count = 1;
    if (count > MAX_TYPED_STATIONS || count < 1) count = 1;
    const char* backspaces = count <= 9 ? "]\b\b" : count <= 99 ? "]\b\b\b" : "]\b\b\b\b";
    if (ask(ctx,
            cformat(" How many stations for the time period would you like? [1 - 100] [%d%s", count,
                    backspaces),
            reply, "NUMBER_STATIONS")) {
      continue;
    }
    long value = 0;
    if (scan_long(reply, value)) count = to_int16(value);
    if (count < 1 || count > MAX_TYPED_STATIONS) {
      ctx.out << RANGE_ERROR;
      continue;
    }
    ask_each_station_number(ctx);
    return;
  }
}

// Asks for one bound of the box until the reply passes the lat/long validator; a non-empty
// reply is read as a floating-point number (a reply without a number keeps the value).
void ask_bound(ProgramContext& ctx, std::string_view question, float& bound) {
  std::string reply;
  for (;;) {
    if (ask(ctx, question, reply, "GEOGRAPHIC_ACCESS")) continue;
    if (validate_lat_long(ctx.out, reply) == 0) continue;
    char* end = nullptr;
    const float value = std::strtof(reply.c_str(), &end);
    if (end != reply.c_str()) bound = value;
    return;
  }
}

// Asks for a minimum and a maximum bound (prompts formatted with their current values) until
// the maximum is not below the minimum.
void ask_bound_pair(ProgramContext& ctx, const char* min_prompt, const char* max_prompt, float& min,
                    float& max, const char* order_error) {
  for (;;) {
    ask_bound(ctx, cformat(min_prompt, static_cast<double>(min)), min);
    ask_bound(ctx, cformat(max_prompt, static_cast<double>(max)), max);
    if (max >= min) return;
    ctx.out << order_error;
  }
}

// Access by geographic location: the latitude bounds, then the longitude bounds, each pair
// asked again while its maximum lies below its minimum.
void ask_box(ProgramContext& ctx) {
  AccessRequest& request = ctx.request;
  request.station_id_type = StationIdType::WBAN;
  ctx.out << "\n\t\t Geographic Location Access \n\n"
          << "  NOTE:  For soundings in the western hemisphere, use negative longitudes.\n\n"
          << " Input the bounds of your lat/long box \n";
  ask_bound_pair(ctx, "\t Enter the MINIMUM value latitude: [%4.2f]\b\b\b\b\b\b",
                 "\t Enter the MAXIMUM value latitude: [%4.2f]\b\b\b\b\b\b", request.lat_min,
                 request.lat_max, " ERROR: the MAX latitude is less than the MIN latitude\n");
  ask_bound_pair(ctx, "\n\t Enter the MINIMUM value longitude: [%3.2f]\b\b\b\b\b\b\b",
                 "\t Enter the MAXIMUM value longitude: [%3.2f]\b\b\b\b\b\b\b", request.lon_min,
                 request.lon_max, " ERROR: the MAX longitude is less than the MIN longitude\n");
}

void set_box(AccessRequest& request, float lat_min, float lat_max, float lon_min, float lon_max) {
  request.lat_min = lat_min;
  request.lat_max = lat_max;
  request.lon_min = lon_min;
  request.lon_max = lon_max;
}

// The access type and its questions; leaves the requested numbers (access by number) or the
// box in the request.
void ask_stations(ProgramContext& ctx) {
  AccessRequest& request = ctx.request;
  ask_menu(ctx,
           "\n How do you wish to access the data set?\n"
           "      0  -  by station number\n"
           "      1  -  by geographic location\n"
           "      2  -  all North/Central American Data \n"
           "      3  -  all Global Data\n"
           "Your Choice? ",
           "ACCESS_TYPE", request.access, StationAccess::GLOBAL);
  switch (request.access) {
    case StationAccess::BY_NUMBER:
      ask_station_numbers(ctx);
      break;
    case StationAccess::BOX:
      ask_box(ctx);
      break;
    case StationAccess::NORTH_CENTRAL_AMERICA:
      request.station_id_type = StationIdType::WBAN;
      ctx.out << "\n\t\t North/Central American Access\n\n";
      set_box(request, 0.0f, 90.0f, -180.0f, -50.0f);
      break;
    case StationAccess::GLOBAL:
      request.station_id_type = StationIdType::WBAN;
      ctx.out << "\n\t\t World Database Access\n\n";
      set_box(request, -90.0f, 90.0f, -180.0f, 180.0f);
      break;
  }
}

// The format questions: format, data above 100 mb, levels and wind units.
void ask_format(ProgramContext& ctx) {
  AccessRequest& request = ctx.request;
  ask_menu(ctx,
           " What type of output format do you want?\n"
           "      0  -  KVT format\n"
           "      1  -  FAA604 format <USED BY VANTA SOFTWARE>\n"
           "Your Choice? ",
           "OUTPUT_FORMAT", request.output_format, OutputFormat::FAA604);

  if (request.output_format == OutputFormat::KVT) {
    ctx.out << "\nDo you wish to obtain data above 100mb pressure? [Y/N] "
            << (request.above_100mb ? 'Y' : 'N') << '\b';
    std::string reply;
    read_reply(ctx, reply);
    if (!reply.empty()) request.above_100mb = reply[0] == 'Y' || reply[0] == 'y';
  }

  ask_menu(ctx,
           " What type of data levels do you want?\n"
           "      0  -  all levels\n"
           "      1  -  mandatory levels only\n"
           "      2  -  mandatory and significant levels only\n"
           "Your Choice? ",
           "LEVEL_TYPE", request.levels, LevelSelection::MANDATORY_AND_SIGNIFICANT);

  if (request.output_format == OutputFormat::KVT) {
    ask_menu(ctx,
             " What type of wind speed units do you want?\n"
             "      0  -  knots\n"
             "      1  -  tenths of meters/second\n"
             "Your Choice? ",
             "WIND_UNITS", request.wind_units, WindUnits::TENTHS_MS);
  }
}

// The output questions: the format questions, sort order, location and, for output files, the
// directory and the file structure of the sort.
void ask_output_choices(ProgramContext& ctx) {
  AccessRequest& request = ctx.request;
  const SettledChoices settled = settled_choices(request, ctx.selected.station_count);
  ask_format(ctx);
  if (settled.sort_order) {
    request.sort_order = *settled.sort_order;
  } else {
    ask_menu(ctx,
             "\n How do you want to organize the output data?\n"
             "      0  -  Synoptic Sort (time series)\n"
             "      1  -  Climatological Sort (station series)\n"
             "    Note:  For large data requests, type help for performance information.\n\n"
             "Your Choice? ",
             "SORT_ORDER_TYPE", request.sort_order, SortOrder::CLIMATOLOGICAL);
  }

  ask_menu(ctx,
           "\n Where do you want to direct the output?\n"
           "      0  -  to the screen\n"
           "      1  -  to output file(s)\n"
           "Your Choice? ",
           "OUTPUT_LOCATION", request.output_location, OutputLocation::FILES);
  if (request.output_location == OutputLocation::SCREEN) {
    ctx.output_stream.use_console();
    return;
  }

  ctx.output_stream.use_none();
  ask_output_directory(ctx, request.output_directory);
  if (request.sort_order == SortOrder::SYNOPTIC) {
    ask_menu(ctx,
             "\n\t\tTime Series Sort \n\n"
             " How do you want structure your output file(s)?\n"
             "      0  -  all data in one file      <YYYYMMDDHH.txt>\n"
             "      1  -  one file per year         <YYYYMMDDHH.txt>\n"
             "      2  -  one file per month        <YYYYMMDDHH.txt>\n"
             "      3  -  one file per day          <YYYYMMDDHH.txt>\n"
             "      4  -  one files per time        <YYYYMMDDHH.txt>\n"
             "      5  -  one file per sounding     <YYYYMMDDHH.txt>\n"
             "Your Choice? ",
             "TIME_OUTFILE", request.time_file_structure, TimeFileStructure::PER_SOUNDING);
  } else if (settled.station_file_structure) {
    request.station_file_structure = *settled.station_file_structure;
  } else {
    ask_menu(ctx,
             "\n\t\tStation Series Sort \n\n"
             " How do you want structure your output file(s)?\n"
             "      0  -  all data in one file      <YYMMDDHH.txt>\n"
             "      1  -  one station per file      <WMO_INI_YYYYMMDDHH.txt>\n"
             "      2  -  one sounding per file     <WMO_INI_YYYYMMDDHH.txt>\n"
             "Your Choice? ",
             "STATION_OUTFILE", request.station_file_structure, StationFileStructure::PER_SOUNDING);
  }
}

// Runs the driver of the sort order with the writer of the output format; returns its result.
// A directory chosen at the directory dialogue becomes the request's.
int32_t run_request(ProgramContext& ctx) {
  AccessRequest& request = ctx.request;
  ConsoleFileReporter file_reporter(ctx, ctx.output_stream);
  OutputFiles files(ctx.output_stream, file_reporter, request.output_directory);
  const std::unique_ptr<TextWriter> writer = make_text_writer(ctx.pager, files, request);
  ConsoleReporter reporter(ctx);
  const ExtractionSource source{ctx.database_directory, ctx.years, ctx.catalogue};
  const int32_t result = run_extraction(source, request, ctx.selected, *writer, reporter);
  request.output_directory = files.directory();
  return result;
}

}  // namespace

int32_t run_request_dialogue(ProgramContext& ctx) {
  AccessRequest& request = ctx.request;
  bool first_request = true;
  int32_t result = 0;
  bool another = false;
  do {
    ask_period(ctx, first_request);
    ask_hours(ctx);
    ask_stations(ctx);
    select_stations(ctx.catalogue, request, ctx.selected);
    do {
      ask_output_choices(ctx);
      result = run_request(ctx);
    } while (result > 0 &&
             ask_yes_no(ctx, "\n Do you wish to continue accessing this data? [Y/N] [N]\b\b",
                        "REPEAT_ACCESS"));
    another =
        ask_yes_no(ctx, " Would you like to request more data? [Y/N] [N]\b\b", "ANOTHER_REQUEST");
    first_request = false;
  } while (another);
  return result;
}

}  // namespace wxfetch
