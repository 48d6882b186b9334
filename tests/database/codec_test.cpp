// The table-driven field reader against a plain bit-by-bit reader, and the worked examples of
// the format.
#include "database/codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace wxfetch {
namespace {

// Reads `width` bits most significant first, one bit at a time, starting at bit `offset`
// (7 = most significant) of bytes[index]; moves index and offset past them.
uint32_t read_bit_by_bit(const std::vector<uint8_t>& bytes, size_t& index, int& offset, int width) {
  uint32_t value = 0;
  for (int i = 0; i < width; ++i) {
    value = (value << 1) | ((bytes[index] >> offset) & 1u);
    if (offset == 0) {
      offset = 7;
      ++index;
    } else {
      --offset;
    }
  }
  return value;
}

class CodecTest : public ::testing::Test {
 protected:
  void SetUp() override { codec_init(codec); }
  BitFieldCodec codec;
};

TEST_F(CodecTest, EveryWidthAtEveryOffsetMatchesABitByBitReader) {
  std::vector<uint8_t> bytes(64);
  uint64_t state = 12345;
  for (int round = 0; round < 20; ++round) {
    for (uint8_t& byte : bytes) {
      state = state * 6364136223846793005ull + 1442695040888963407ull;
      byte = static_cast<uint8_t>(state >> 56);
    }
    for (int width = 1; width <= 32; ++width) {
      for (int start = 0; start <= 7; ++start) {
        codec.place(bytes.data() + 3, bytes.size() - 3);
        int offset = start;
        size_t index = 3;
        int expected_offset = start;
        const uint32_t expected = read_bit_by_bit(bytes, index, expected_offset, width);
        ASSERT_EQ(codec.read_bits(width, offset), expected)
            << "width " << width << " offset " << start;
        ASSERT_EQ(offset, expected_offset) << "width " << width << " offset " << start;
        ASSERT_EQ(codec.field_cursor, bytes.data() + index)
            << "width " << width << " offset " << start;
      }
    }
  }
}

TEST_F(CodecTest, ConsecutiveFieldsOfMixedWidthsReadLikeOneBitStream) {
  std::vector<uint8_t> bytes(200);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
  codec.place(bytes.data(), bytes.size());
  int offset = 7;
  int expected_offset = 7;
  size_t index = 0;
  for (int width : {14, 7, 17, 12, 12, 9, 12, 32, 1, 3, 24, 5, 31, 2, 16, 8, 83 - 64}) {
    const uint32_t expected = read_bit_by_bit(bytes, index, expected_offset, width);
    ASSERT_EQ(codec.read_bits(width, offset), expected) << width;
    ASSERT_EQ(offset, expected_offset);
  }
  EXPECT_EQ(codec.field_cursor, bytes.data() + index);
}

TEST_F(CodecTest, WorkedExamples) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    int offset;
    int width;
    uint32_t value;
    int next_offset;
    int advanced;
  };
  const Case cases[] = {
      {"12 bits of AB CD", {0xAB, 0xCD}, 7, 12, 0xABC, 3, 1},
      {"then the 4 bits left of CD", {0xCD}, 3, 4, 0xD, 7, 1},
      {"17 set bits from offset 2", {0x07, 0xFF, 0xFC}, 2, 17, 0x1FFFF, 1, 2},
      {"17 bits from offset 0", {0x01, 0x80, 0x01, 0xFF}, 0, 17, 0x18001, 7, 3},
      {"24 bits at a byte boundary", {0x12, 0x34, 0x56, 0x78}, 7, 24, 0x123456, 7, 3},
      {"32 bits at a byte boundary", {0xFE, 0xDC, 0xBA, 0x98}, 7, 32, 0xFEDCBA98, 7, 4},
      {"32 bits from mid-byte touch five bytes",
       {0x0F, 0xFF, 0xFF, 0xFF, 0xF0},
       3,
       32,
       0xFFFFFFFF,
       3,
       4},
      {"width o+1 ends the byte", {0x2D}, 5, 6, 0x2D, 7, 1},
      {"narrower field stays in the byte", {0x2D}, 5, 5, 0x16, 0, 0},
  };
  for (const Case& c : cases) {
    codec.place(c.bytes.data(), c.bytes.size());
    int offset = c.offset;
    EXPECT_EQ(codec.read_bits(c.width, offset), c.value) << c.what;
    EXPECT_EQ(offset, c.next_offset) << c.what;
    EXPECT_EQ(codec.field_cursor - c.bytes.data(), c.advanced) << c.what;
  }
}

TEST_F(CodecTest, AllOnesMarksAFieldWithNoValue) {
  EXPECT_EQ(codec.all_ones[0], 0u);
  EXPECT_EQ(codec.all_ones[4], 15u);
  EXPECT_EQ(codec.all_ones[12], 4095u);
  EXPECT_EQ(codec.all_ones[17], 131071u);
  EXPECT_EQ(codec.all_ones[32], 0xFFFFFFFFu);
}

TEST_F(CodecTest, HasBytesStaysInsideThePlacedBuffer) {
  static const uint8_t bytes[4] = {};
  codec.place(bytes, sizeof bytes);
  EXPECT_TRUE(codec.has_bytes(4));
  EXPECT_FALSE(codec.has_bytes(5));
  codec.skip(3);
  EXPECT_TRUE(codec.has_bytes(1));
  EXPECT_FALSE(codec.has_bytes(2));
  codec.skip(1);  // at the end
  EXPECT_TRUE(codec.has_bytes(0));
  EXPECT_FALSE(codec.has_bytes(1));
}

TEST_F(CodecTest, WideReadsOfFieldGroupsEqualFieldByFieldReads) {
  // The widths of a level's two field groups, at every starting offset, near the end of the
  // buffer (where the wide load is not allowed) and far from it.
  std::vector<uint8_t> bytes(64);
  uint32_t seed = 12345;
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
  const uint8_t widths[] = {14, 7, 17, 12, 12, 9, 12};
  // The seven fields take 83 bits after up to 7 bits already read: 12 bytes from the start.
  for (size_t start = 0; start + 12 <= bytes.size(); ++start) {
    for (int first_offset = 0; first_offset < 8; ++first_offset) {
      BitFieldCodec fields = codec;
      fields.place(bytes.data() + start, bytes.size() - start);
      BitFieldCodec wide = fields;
      int offset = first_offset;
      uint32_t expected[7];
      for (int i = 0; i < 7; ++i) expected[i] = fields.read_bits(widths[i], offset);
      int wide_offset = first_offset;
      uint32_t values[7];
      wide.read_fields(widths, 4, values, wide_offset);
      wide.read_fields(widths + 4, 3, values + 4, wide_offset);
      for (int i = 0; i < 7; ++i) EXPECT_EQ(values[i], expected[i]) << start << " " << i;
      EXPECT_EQ(wide_offset, offset);
      EXPECT_EQ(wide.field_cursor, fields.field_cursor);
    }
  }
}

}  // namespace
}  // namespace wxfetch
