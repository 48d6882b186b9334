// Bit-field codec. A database file stores unsigned fields packed without regard to byte
// boundaries, most significant bit first. read_bits reads a field of 1 to 32 bits at the byte
// cursor and bit offset (7 = the whole byte at the cursor is unread, 0 = only its lowest bit is
// left) by walking a precomputed chain of at most five per-byte steps: no per-bit work.
//
// The reader checks nothing: callers make sure that every byte a field touches lies in the
// buffer (see has_bytes).
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>

namespace wxfetch {

// One per-byte step of a field read.
struct FieldStep {
  enum Operation : uint8_t { UNSHIFTED, SHIFT_LEFT, SHIFT_RIGHT };
  uint8_t mask = 0;  // the bits of the byte not yet consumed: 2^(offset+1) - 1
  Operation operation = UNSHIFTED;
  uint8_t count = 0;        // shift count
  uint8_t next_offset = 0;  // bit offset after the step; 7 means the cursor advances a byte
  int8_t next_width = -1;   // width of the row-7 step that reads the rest, or -1 for none
};

struct BitFieldCodec {
  FieldStep field_steps[8][33];  // [starting offset][width]; column 0 is never read
  uint32_t all_ones[33] = {};    // entry n: an n-bit field that holds no value (2^n - 1)

  // The byte that holds the next unread bit, and the end of the bytes actually read.
  const uint8_t* field_cursor = nullptr;
  const uint8_t* field_limit = nullptr;

  // Places the cursor at the start of `size` bytes at `data`.
  void place(const uint8_t* data, size_t size) {
    field_cursor = data;
    field_limit = data + size;
  }
  // True when `count` bytes from the cursor lie inside the buffer.
  bool has_bytes(size_t count) const {
    return field_cursor <= field_limit && static_cast<size_t>(field_limit - field_cursor) >= count;
  }
  // Advances the cursor by whole bytes (at bit offset 7).
  void skip(size_t count) { field_cursor += count; }

  // REQUIRES: codec_init has run; 1 <= width <= 32; 0 <= offset <= 7; every byte the field
  // touches is readable. Returns the field in the low `width` bits and sets `offset` to the bit
  // offset after it; advances the cursor past every byte the field finishes.
  uint32_t read_bits(int width, int& offset) {
    assert(all_ones[1] == 1 && width >= 1 && width <= 32 && offset >= 0 && offset <= 7);
    assert(field_cursor < field_limit);
    const FieldStep* step = &field_steps[offset][width];
    uint32_t value = 0;
    for (;;) {
      const uint32_t bits = *field_cursor & step->mask;
      switch (step->operation) {
        case FieldStep::UNSHIFTED:
          value |= bits;
          break;
        case FieldStep::SHIFT_LEFT:
          value |= bits << step->count;
          break;
        case FieldStep::SHIFT_RIGHT:
          value |= bits >> step->count;
          break;
      }
      if (step->next_offset == 7) ++field_cursor;
      if (step->next_width < 0) {
        offset = step->next_offset;
        return value;
      }
      step = &field_steps[7][step->next_width];
    }
  }

  // Reads `count` consecutive fields of the given widths (together at most 56 bits) into
  // `values`, exactly as that many read_bits calls would. When the eight bytes from the cursor
  // lie inside the buffer, one big-endian load serves them all; otherwise each is read with
  // read_bits.
  // REQUIRES: as read_bits, for every field.
  void read_fields(const uint8_t* widths, int count, uint32_t* values, int& offset) {
    if (!has_bytes(8)) {
      for (int i = 0; i < count; ++i) values[i] = read_bits(widths[i], offset);
      return;
    }
    uint64_t word;
    __builtin_memcpy(&word, field_cursor, 8);
    if constexpr (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__) word = __builtin_bswap64(word);
    const int consumed = 7 - offset;  // bits of the first byte already read
    word <<= consumed;
    int bits = consumed;
    for (int i = 0; i < count; ++i) {
      values[i] = static_cast<uint32_t>(word >> (64 - widths[i]));
      word <<= widths[i];
      bits += widths[i];
    }
    field_cursor += bits / 8;
    offset = 7 - bits % 8;
  }
};

// Fills the step table and all_ones. Called once at start-up, before any read.
void codec_init(BitFieldCodec& codec);

}  // namespace wxfetch
