// Choosing the writer of a request: the text writer of its output format.
#pragma once

#include <memory>

#include "output/text_writer.h"

namespace wxfetch {

// The KVT or FAA604 writer for `request`, writing to `files` and counting screen lines with
// `pager`; null for an output format that has no text writer.
std::unique_ptr<TextWriter> make_text_writer(ScreenPager& pager, OutputFiles& files,
                                             const AccessRequest& request);

}  // namespace wxfetch
