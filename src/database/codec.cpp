#include "database/codec.h"

namespace wxfetch {

void codec_init(BitFieldCodec& codec) {
  // Entry n is 2^n - 1, the power formed by repeated 32-bit multiplication: 2^32 wraps to 0, so
  // entry 32 has all 32 bits set.
  uint32_t power = 1;
  for (int n = 0; n <= 32; ++n) {
    codec.all_ones[n] = power - 1;
    power *= 2;
  }
  for (int offset = 0; offset < 8; ++offset) {
    const uint8_t mask = static_cast<uint8_t>((1u << (offset + 1)) - 1);
    codec.field_steps[offset][0] = FieldStep{};
    for (int width = 1; width <= 32; ++width) {
      FieldStep& step = codec.field_steps[offset][width];
      step.mask = mask;
      if (width == offset + 1) {  // the field ends exactly at the end of the byte
        step.operation = FieldStep::UNSHIFTED;
        step.count = 0;
        step.next_offset = 7;
        step.next_width = -1;
      } else if (width > offset + 1) {  // the field runs on into the following bytes
        step.operation = FieldStep::SHIFT_LEFT;
        step.count = static_cast<uint8_t>(width - offset - 1);
        step.next_offset = 7;
        step.next_width = static_cast<int8_t>(width - offset - 1);
      } else {  // the field ends inside the byte
        step.operation = FieldStep::SHIFT_RIGHT;
        step.count = static_cast<uint8_t>(offset + 1 - width);
        step.next_offset = static_cast<uint8_t>(offset - width);
        step.next_width = -1;
      }
    }
  }
}

}  // namespace wxfetch
