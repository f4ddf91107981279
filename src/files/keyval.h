// KEYVAL: the name-entry scanner. Finds the value token and the keyword token of a typed
// name entry (keyword=value, or a bare value) and upper-cases the letters before the
// first equals sign in place.
#pragma once

#include <cstdint>

namespace files {

inline constexpr int kNameBufferLength = 100;

// Positions are 1-based; 0 means the token is absent. Positions 1 to `scan_end` are
// examined; a scan end above 100 is taken as 100, one of 0 or less examines nothing.
void KEYVAL(char (&buffer)[kNameBufferLength], std::int32_t scan_end, std::int32_t& value_start,
            std::int32_t& value_end, std::int32_t& keyword_start, std::int32_t& keyword_end);

}  // namespace files
