// Sounding records. A database file holds a 34-byte header, a month-by-day directory and the
// soundings as records laid out after the pattern of a BUFR message: total length in bytes 4 to
// 6, an optional-block flag in byte 15, date and hour in bytes 20 to 23, then the level count, a
// 64-bit data header and 83 bits per level. decode_sounding unpacks one record into a Sounding
// and removes duplicate levels; what becomes of the sounding is its caller's business.
#pragma once

#include "database/codec.h"
#include "records/sounding.h"

namespace wxfetch {

// REQUIRES: codec_init has run on `codec`; its field_cursor is at the first byte of a record and
// its field_limit at the end of the bytes read for it. Fills `sounding` and cleans up its levels:
// of two mandatory levels at one pressure the one with more missing values goes, and every
// surface after the first.
// Returns false, leaving `sounding` untouched, when the record does not fit in the bytes read or
// its level count lies outside 0 .. MAX_LEVELS (a damaged record); only reads bytes in
// [field_cursor, field_limit).
bool decode_sounding(BitFieldCodec& codec, Sounding& sounding);

}  // namespace wxfetch
