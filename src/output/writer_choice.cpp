#include "output/writer_choice.h"

#include "output/faa604_writer.h"
#include "output/kvt_writer.h"

namespace wxfetch {

std::unique_ptr<TextWriter> make_text_writer(ScreenPager& pager, OutputFiles& files,
                                             const AccessRequest& request) {
  switch (request.output_format) {
    case OutputFormat::KVT:
      return std::make_unique<KvtWriter>(pager, files, request);
    case OutputFormat::FAA604:
      return std::make_unique<Faa604Writer>(pager, files, request);
  }
  return nullptr;
}

}  // namespace wxfetch
