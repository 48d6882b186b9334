#include "import/bufr.h"

#ifdef WXFETCH_HAVE_ECCODES

#include <eccodes.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <istream>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "base/text.h"
#include "import/profile_thinning.h"
#include "records/sounding.h"

namespace wxfetch {
namespace pack {

namespace {

// One BUFR message after another from a stream: from "BUFR" to the "7777" that its length in
// section 0 says it ends with. A start whose message is cut short or does not end where it
// should is reported, and the search goes on from the byte after its "BUFR".
class MessageReader {
 public:
  explicit MessageReader(std::istream& in) : in_(in) {}
  enum class Result { MESSAGE, DAMAGED, END };
  // The next message in `message`, or why the next start holds none in `fault`.
  Result next(std::vector<uint8_t>& message, std::string& fault);

 private:
  // True when `count` bytes from the start are in the buffer (reading more as needed).
  bool have(size_t count);
  // Moves the start to the next "BUFR"; false at the end of input.
  bool find_start();

  std::istream& in_;
  std::vector<uint8_t> buffer_;
  size_t start_ = 0;
  bool ended_ = false;
};

bool MessageReader::have(size_t count) {
  while (buffer_.size() - start_ < count && !ended_) {
    if (start_ > 0) {
      buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
      start_ = 0;
    }
    const size_t old_size = buffer_.size();
    const size_t chunk = std::max<size_t>(count - old_size, 1 << 16);
    buffer_.resize(old_size + chunk);
    in_.read(reinterpret_cast<char*>(buffer_.data() + old_size),
             static_cast<std::streamsize>(chunk));
    const auto got = static_cast<size_t>(std::max<std::streamsize>(in_.gcount(), 0));
    buffer_.resize(old_size + got);
    if (got == 0) ended_ = true;
  }
  return buffer_.size() - start_ >= count;
}

bool MessageReader::find_start() {
  static constexpr uint8_t MAGIC[4] = {'B', 'U', 'F', 'R'};
  for (;;) {
    const auto begin = buffer_.begin() + static_cast<std::ptrdiff_t>(start_);
    const auto found = std::search(begin, buffer_.end(), std::begin(MAGIC), std::end(MAGIC));
    const size_t at = static_cast<size_t>(found - buffer_.begin());
    if (found != buffer_.end()) {
      start_ = at;
      return true;
    }
    // Keep the last three bytes: they may begin a "BUFR" that the next read completes.
    start_ = buffer_.size() < 3 ? 0 : std::max(start_, buffer_.size() - 3);
    if (!have(buffer_.size() - start_ + 1)) return false;
  }
}

MessageReader::Result MessageReader::next(std::vector<uint8_t>& message, std::string& fault) {
  if (!find_start()) return Result::END;
  if (!have(8)) {
    fault = "cut short within its first 8 bytes";
    start_ = buffer_.size();
    return Result::DAMAGED;
  }
  const uint8_t* head = buffer_.data() + start_;
  const size_t length = size_t{head[4]} << 16 | size_t{head[5]} << 8 | head[6];
  const int edition = head[7];
  if (edition != 3 && edition != 4) {
    fault = cformat("edition %d (only editions 3 and 4 are read)", edition);
  } else if (length < 12) {
    fault = cformat("section 0 gives a length of %zu bytes", length);
  } else if (!have(length)) {
    fault = cformat("cut short: %zu of its %zu bytes", buffer_.size() - start_, length);
  } else if (std::memcmp(buffer_.data() + start_ + length - 4, "7777", 4) != 0) {
    fault = cformat("does not end in 7777 after the %zu bytes its length gives", length);
  } else {
    message.assign(buffer_.begin() + static_cast<std::ptrdiff_t>(start_),
                   buffer_.begin() + static_cast<std::ptrdiff_t>(start_ + length));
    start_ += length;
    return Result::MESSAGE;
  }
  start_ += 4;
  return Result::DAMAGED;
}

struct HandleDeleter {
  void operator()(codes_handle* handle) const { codes_handle_delete(handle); }
};
using Handle = std::unique_ptr<codes_handle, HandleDeleter>;

bool is_missing(double value) {
  return !std::isfinite(value) || value == CODES_MISSING_DOUBLE ||
         value == static_cast<double>(CODES_MISSING_LONG) || std::fabs(value) > 1e9;
}

// The keys of one decoded message, subset by subset. Uncompressed, a subset's values are those
// of the key in that subset; compressed, every occurrence of a key holds one value per subset
// (ecCodes is told to give constant values once per subset too).
class DecodedMessage {
 public:
  DecodedMessage(codes_handle* handle, long subsets, bool compressed)
      : handle_(handle), subsets_(std::max(subsets, 1L)), compressed_(compressed) {}
  long subsets() const { return subsets_; }
  // Every value of `key` in subset `subset` (0-based), in order; none when it has no such key.
  std::vector<double> values(const char* key, long subset);
  // The first value of `key` in the subset, or nothing when it is absent or missing.
  std::optional<double> first(const char* key, long subset);

 private:
  std::vector<double> all(const std::string& key);

  codes_handle* handle_;
  long subsets_;
  bool compressed_;
  std::map<std::string, std::vector<double>> compressed_values_;
};

std::vector<double> DecodedMessage::all(const std::string& key) {
  size_t size = 0;
  if (codes_get_size(handle_, key.c_str(), &size) != 0 || size == 0) return {};
  std::vector<double> values(size);
  if (codes_get_double_array(handle_, key.c_str(), values.data(), &size) != 0) return {};
  values.resize(size);
  return values;
}

std::vector<double> DecodedMessage::values(const char* key, long subset) {
  if (!compressed_) {
    return all(subsets_ == 1 ? std::string(key) : cformat("/subsetNumber=%ld/%s", subset + 1, key));
  }
  auto found = compressed_values_.find(key);
  if (found == compressed_values_.end()) found = compressed_values_.emplace(key, all(key)).first;
  const std::vector<double>& every = found->second;
  const auto count = static_cast<size_t>(subsets_);
  std::vector<double> values;
  if (every.size() % count != 0) return values;  // not one value per subset: none trusted
  values.reserve(every.size() / count);
  for (size_t at = static_cast<size_t>(subset); at < every.size(); at += count) {
    values.push_back(every[at]);
  }
  return values;
}

std::optional<double> DecodedMessage::first(const char* key, long subset) {
  const std::vector<double> v = values(key, subset);
  if (v.empty() || is_missing(v.front())) return std::nullopt;
  return v.front();
}

// A value in the archive's units (value * scale + offset, rounded), absent when missing.
int32_t archive_value(const std::vector<double>& values, size_t i, double scale,
                      double offset = 0) {
  if (i >= values.size() || is_missing(values[i])) return ABSENT;
  return static_cast<int32_t>(std::lround((values[i] + offset) * scale));
}

// The level kind of significance flags: extended (0 08 042, 18 bits) or not (0 08 001, 7 bits).
// Surface, standard level, tropopause and maximum wind are told by their own bits, in that order
// of precedence; significant temperature or humidity and a level with none is significant (5),
// significant wind alone a wind level (6).
int32_t kind_of(double flags, bool extended) {
  if (is_missing(flags)) return 5;
  const auto bits = static_cast<long>(flags);
  const int width = extended ? 18 : 7;
  const auto bit = [&](int n) { return (bits >> (width - n) & 1) != 0; };
  if (bit(1)) return 9;
  if (bit(2)) return 4;
  if (bit(3)) return 7;
  if (bit(4)) return 8;
  const bool temperature = bit(5) || (extended && bit(6));
  const bool wind = extended ? bit(7) : bit(6);
  return wind && !temperature ? 6 : 5;
}

// The values of the first of `keys` that the subset has.
std::vector<double> values_of_first(DecodedMessage& message, long subset,
                                    std::initializer_list<const char*> keys, bool* first_found) {
  bool first = true;
  for (const char* key : keys) {
    std::vector<double> values = message.values(key, subset);
    if (!values.empty()) {
      if (first_found != nullptr) *first_found = first;
      return values;
    }
    first = false;
  }
  return {};
}

// The levels of a subset. The level count is that of the temperatures or winds (the keys found
// only in the levels); of pressure, height and significance, which the wind-shear section may
// repeat after the levels, the first that many values are the levels'. A level with neither
// pressure nor height is left out.
std::vector<PackLevel> levels_of(DecodedMessage& message, long subset) {
  const std::vector<double> temperature = message.values("airTemperature", subset);
  const std::vector<double> dew_point = message.values("dewpointTemperature", subset);
  const std::vector<double> direction = message.values("windDirection", subset);
  const std::vector<double> speed = message.values("windSpeed", subset);
  const std::vector<double> pressure = message.values("pressure", subset);
  const std::vector<double> height = values_of_first(
      message, subset, {"nonCoordinateGeopotentialHeight", "geopotentialHeight"}, nullptr);
  bool extended = true;
  const std::vector<double> flags = values_of_first(
      message, subset, {"extendedVerticalSoundingSignificance", "verticalSoundingSignificance"},
      &extended);
  const size_t count = std::max(temperature.size(), speed.size());
  std::vector<PackLevel> levels;
  levels.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    PackLevel level;
    level.kind = kind_of(i < flags.size() ? flags[i] : CODES_MISSING_DOUBLE, extended);
    level.pressure = archive_value(pressure, i, 0.1);                // Pa to tenths of hPa
    level.height = archive_value(height, i, 1);                      // gpm
    level.temperature = archive_value(temperature, i, 10, -273.15);  // K to tenths of degC
    level.dew_point = archive_value(dew_point, i, 10, -273.15);
    level.wind_direction = archive_value(direction, i, 1);
    level.wind_speed = archive_value(speed, i, 10);  // m/s to tenths
    if (level.pressure == ABSENT && level.height == ABSENT) continue;
    levels.push_back(level);
  }
  return levels;
}

using Minutes = std::chrono::sys_time<std::chrono::minutes>;

// A time from year, month, day, hour and minute; nothing when any is missing or no such time.
std::optional<Minutes> time_of(std::optional<double> year, std::optional<double> month,
                               std::optional<double> day, std::optional<double> hour,
                               std::optional<double> minute) {
  using namespace std::chrono;
  if (!year || !month || !day || !hour || !minute || *hour > 23 || *minute > 59) {
    return std::nullopt;
  }
  const year_month_day date{std::chrono::year(static_cast<int>(*year)),
                            std::chrono::month(static_cast<unsigned>(*month)),
                            std::chrono::day(static_cast<unsigned>(*day))};
  if (!date.ok()) return std::nullopt;
  return sys_days(date) + hours(static_cast<int>(*hour)) + minutes(static_cast<int>(*minute));
}

// The section 1 time of the message, when it is valid.
std::optional<Minutes> typical_time(codes_handle* handle) {
  std::optional<double> parts[5];
  const char* keys[5] = {"typicalYear", "typicalMonth", "typicalDay", "typicalHour",
                         "typicalMinute"};
  for (int i = 0; i < 5; ++i) {
    long value = 0;
    if (codes_get_long(handle, keys[i], &value) == 0 && value != CODES_MISSING_LONG) {
      parts[i] = static_cast<double>(value);
    }
  }
  return time_of(parts[0], parts[1], parts[2], parts[3], parts[4]);
}

// The sounding's nominal date and hour: the section 1 time when it is a whole hour from 1 hour
// before to 3 hours after the launch (or there is no launch time), else the synoptic hour (00,
// 03, ..., 21 UTC) nearest to the launch time plus 45 minutes.
std::optional<Minutes> nominal_time(std::optional<Minutes> launch, std::optional<Minutes> typical) {
  using namespace std::chrono;
  if (typical && typical->time_since_epoch() % hours(1) == minutes(0) &&
      (!launch || (*typical - *launch >= minutes(-60) && *typical - *launch <= minutes(180)))) {
    return typical;
  }
  if (!launch) return std::nullopt;
  const Minutes shifted = *launch + minutes(45) + minutes(90);
  return floor<hours>(shifted) - floor<hours>(shifted).time_since_epoch() % hours(3);
}

// Fills the date, hour and release time of `s` from the subset's launch time and the message's
// section 1 time; false when neither gives a date and hour.
bool set_times(DecodedMessage& message, long subset, codes_handle* handle, PackSounding& s) {
  using namespace std::chrono;
  const auto year = message.first("year", subset), month = message.first("month", subset),
             day = message.first("day", subset), hour = message.first("hour", subset),
             minute = message.first("minute", subset);
  const std::optional<Minutes> launch = time_of(year, month, day, hour, minute);
  const std::optional<Minutes> nominal = nominal_time(launch, typical_time(handle));
  if (!nominal) return false;
  const year_month_day date{floor<days>(*nominal)};
  s.year = static_cast<int>(date.year());
  s.month = static_cast<int>(static_cast<unsigned>(date.month()));
  s.day = static_cast<int>(static_cast<unsigned>(date.day()));
  s.hour = static_cast<int>((nominal->time_since_epoch() % days(1)) / hours(1));
  s.release_time = launch ? static_cast<int32_t>(*hour * 100 + *minute) : ABSENT;
  return true;
}

// The sonde type of the radiosonde type code, when the archive has a code for it.
int32_t sonde_type_of(std::optional<double> code) {
  if (!code || *code < 0 || *code > 255) return ABSENT;
  const auto type = static_cast<int32_t>(*code);
  try {
    sonde_type_raw(type);
    return type;
  } catch (const std::invalid_argument&) {
    return ABSENT;
  }
}

// Where a message was read, for the messages of the import.
struct Place {
  const std::string& file;
  long ordinal;
};

// Hands the sounding of one subset to the run (or says why not).
void read_subset(DecodedMessage& message, long subset, codes_handle* handle,
                 const StationTable& stations, ImportRun& run, Place place) {
  const std::string which =
      message.subsets() > 1 ? cformat("subset %ld of %ld: ", subset + 1, message.subsets()) : "";
  const auto block = message.first("blockNumber", subset);
  const auto number = message.first("stationNumber", subset);
  if (!block || !number || *block < 0 || *block > 99 || *number < 0 || *number > 999) {
    run.skip(place.file, place.ordinal, which + "no WMO block and station number; skipped");
    return;
  }
  PackSounding s;
  if (!set_times(message, subset, handle, s)) {
    run.skip(place.file, place.ordinal, which + "no launch date and time; skipped");
    return;
  }
  const auto wmo = static_cast<int32_t>(*block * 1000 + *number);
  const StationFacts facts = stations.facts(wmo, s.year * 10000 + s.month * 100 + s.day);
  s.wban = facts.wban;
  s.sonde_type = sonde_type_of(message.first("radiosondeType", subset));
  s.levels = levels_of(message, subset);
  const auto ground = message.first("heightOfStationGroundAboveMeanSeaLevel", subset);
  for (PackLevel& level : s.levels) {
    if (level.kind == 9 && level.height == ABSENT && ground) {
      level.height = static_cast<int32_t>(std::lround(*ground));
    }
  }
  if (s.levels.size() > static_cast<size_t>(MAX_LEVELS)) {
    thin_profile(s.levels, MAX_LEVELS);
    run.count_thinned();
  }
  run.add(std::move(s), place.file, place.ordinal);
}

long long_key(codes_handle* handle, const char* key, long otherwise) {
  long value = 0;
  return codes_get_long(handle, key, &value) == 0 ? value : otherwise;
}

// Decodes one message and hands its subsets to the run; false when it is of another data
// category.
bool read_message(const std::vector<uint8_t>& bytes, const StationTable& stations, ImportRun& run,
                  Place place) {
  const Handle handle(codes_handle_new_from_message(nullptr, bytes.data(), bytes.size()));
  if (!handle) {
    run.skip(place.file, place.ordinal, "BUFR message that ecCodes cannot read; skipped");
    return true;
  }
  if (long_key(handle.get(), "dataCategory", -1) != 2) return false;
  // The attributes of each value (units, width, ...) are not wanted: a quicker unpack.
  codes_set_long(handle.get(), "skipExtraKeyAttributes", 1);
  const int error = codes_set_long(handle.get(), "unpack", 1);
  if (error != 0) {
    run.skip(place.file, place.ordinal,
             std::string("BUFR message that ecCodes cannot decode (") +
                 codes_get_error_message(error) + "); skipped");
    return true;
  }
  DecodedMessage message(handle.get(), long_key(handle.get(), "numberOfSubsets", 1),
                         long_key(handle.get(), "compressedData", 0) != 0);
  for (long subset = 0; subset < message.subsets(); ++subset) {
    read_subset(message, subset, handle.get(), stations, run, place);
  }
  return true;
}

// ecCodes' own messages are not shown: the import reports each fault itself.
void quiet_log(const codes_context*, int, const char*) {}

}  // namespace

void read_bufr(std::istream& in, const std::string& file, const StationTable& stations,
               ImportRun& run) {
  codes_context_set_logging_proc(codes_context_get_default(), quiet_log);
  codes_bufr_multi_element_constant_arrays_on(codes_context_get_default());
  MessageReader reader(in);
  std::vector<uint8_t> bytes;
  std::string fault;
  long ordinal = 0, others = 0, first_other = 0;
  for (;;) {
    const MessageReader::Result result = reader.next(bytes, fault);
    if (result == MessageReader::Result::END) break;
    ++ordinal;
    if (result == MessageReader::Result::DAMAGED) {
      run.skip(file, ordinal, "BUFR message " + fault + "; skipped");
    } else if (!read_message(bytes, stations, run, Place{file, ordinal})) {
      if (others++ == 0) first_other = ordinal;
    }
  }
  if (others > 0) {
    run.skip(file, first_other,
             count_of(others, "BUFR message") +
                 " of other data categories than vertical soundings (2) skipped");
  }
  if (ordinal == 0) run.skip(file, 0, "no BUFR message");
}

}  // namespace pack
}  // namespace wxfetch

#else

#include <stdexcept>

namespace wxfetch {
namespace pack {

void read_bufr(std::istream&, const std::string&, const StationTable&, ImportRun&) {
  throw std::logic_error("this build has no BUFR");
}

}  // namespace pack
}  // namespace wxfetch

#endif
