// Rendering an integer into a fixed-width field of a report line.
#pragma once

#include <cstdint>

namespace run {

// Writes `value` into out[0..width): decimal, no leading zeros, a minus sign just before
// the first digit, right-justified and blank-filled; `width` asterisks when it does not fit.
void render_field(char* out, int width, std::int64_t value);

}  // namespace run
