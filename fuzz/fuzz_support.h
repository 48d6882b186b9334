// What the fuzz targets share: a program context whose console reads a given reply text and
// forgets what is printed, a scratch directory made once per process, and the sample support
// files and station tables.
//
// A fuzz target runs many inputs in one process, so every input gets a fresh context (or a reset
// one) and nothing of one input carries over to the next.
#pragma once

#include <filesystem>
#include <istream>
#include <memory>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>

#include "console/console.h"
#include "dialogue/program.h"
#include "output/output_stream.h"
#include "records/access_request.h"
#include "stations/catalogue.h"
#include "stations/selection.h"

namespace wxfetch::fuzz {

// A stream buffer that accepts everything and keeps nothing.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

// A program context whose console reads `replies` and discards all it prints (or shows it, when
// the environment variable WXFETCH_FUZZ_ECHO is set); paging is off.
struct FuzzProgram {
  explicit FuzzProgram(const std::string& replies = "");
  FuzzProgram(const FuzzProgram&) = delete;
  FuzzProgram& operator=(const FuzzProgram&) = delete;

  NullBuffer discard;
  std::istringstream in;
  std::ostream out{&discard};
  std::ostream err{&discard};
  std::unique_ptr<ProgramContext> ctx;
};

// Runs `body`; an end of the program (ProgramExit, e.g. at the end of the replies) is a normal
// way out.
template <typename Body>
void run_to_end(Body&& body) {
  try {
    body();
  } catch (const ProgramExit&) {
  }
}

// A directory of this process under the system's temporary directory, made at the first call
// and removed with its contents when the process exits.
const std::filesystem::path& scratch_directory();

// Removes, below `directory`, every file and folder that `keep` does not name (paths relative
// to `directory`, folders of kept files included).
void remove_all_but(const std::filesystem::path& directory,
                    const std::vector<std::filesystem::path>& keep);

// The text of a sample support file (tefahelp.txt, stat2000.txt, international_sites.txt).
const std::string& sample_support_file(const std::string& name);

// The catalogue loaded from the sample station tables (loaded once per process).
const StationCatalogue& sample_catalogue();

// A catalogue of four stations valid from 1990 to 2005: row 0 DEN (WBAN 23062, WMO 72469),
// row 1 PIT (94823, 72520), row 2 the international site CAM (903808, 03808), row 3 BIS (24011,
// 72764).
void small_catalogue(StationCatalogue& catalogue);

}  // namespace wxfetch::fuzz
