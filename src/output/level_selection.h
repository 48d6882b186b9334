// The level types of a request as sets of level kinds: surface and mandatory levels always;
// significant levels unless only mandatory levels are wanted; wind, tropopause and maximum-wind
// levels only when all levels are wanted. Shared by every writer that prints levels one by one.
#pragma once

#include <cstdint>

#include "records/access_request.h"
#include "records/sounding.h"

namespace wxfetch {

// The kinds of level `levels` selects, one bit per kind.
inline uint32_t selected_kinds(LevelSelection levels) {
  uint32_t kinds = 1u << SURFACE | 1u << MANDATORY;
  if (levels != LevelSelection::MANDATORY) kinds |= 1u << SIGNIFICANT;
  if (levels == LevelSelection::ALL) kinds |= 1u << WIND | 1u << TROPOPAUSE | 1u << MAX_WIND;
  return kinds;
}

// True when `kind` is one of `kinds` (a kind outside 0 .. 31 never is).
inline bool is_selected(int32_t kind, uint32_t kinds) {
  return kind >= 0 && kind < 32 && (kinds >> kind & 1) != 0;
}

}  // namespace wxfetch
