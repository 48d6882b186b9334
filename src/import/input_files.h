// The inputs of an import as users download them: a plain text file, a gzip-compressed file
// (.gz), or a zip archive (.zip) of one or more members, read streaming through libarchive
// (where the build has it). Files are opened without waiting: a named pipe, a device or a folder
// is refused.
#pragma once

#include <functional>
#include <istream>
#include <string>

namespace wxfetch {
namespace pack {

// Called with each input text and its name for messages: the path of a plain or .gz file,
// "PATH:MEMBER" for a member of a .zip archive.
using InputReader = std::function<void(std::istream& text, const std::string& name)>;

// Hands `read` every input of the file `path`. Returns "" when all was read, else the reason it
// was not ("PATH: reason": the file cannot be opened, is no regular file, or its compressed
// data are damaged; what came before the damage has been read).
std::string read_inputs(const std::string& path, const InputReader& read);

// True when this build reads .gz and .zip files.
bool reads_compressed_inputs();

}  // namespace pack
}  // namespace wxfetch
