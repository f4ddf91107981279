// Rendering an integer into a fixed-width field of a report line.
#pragma once

#include <cstdint>
#include <cstring>

namespace run {

// Writes `value` into out[0..width): decimal, no leading zeros, a minus sign just before
// the first digit, right-justified and blank-filled; `width` asterisks when it does not fit.
void render_field(char* out, int width, std::int64_t value);

// The same for a width known when compiling (2 for the date fields and the hour, 5 for the
// hourly value): the report's hot path, a handful of stores and no call and no table, so
// that it touches no memory but the field.
template <int Width>
inline void render_fixed(char* out, std::int64_t value) {
  static_assert(Width >= 1 && Width <= 9);
  constexpr std::uint64_t kLimit = [] {
    std::uint64_t limit = 1;
    for (int i = 0; i < Width; ++i) limit *= 10;
    return limit;
  }();
  bool negative = value < 0;
  std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  // Room for the digits, and for the sign of a negative value.
  if (magnitude >= (negative ? kLimit / 10 : kLimit)) {
    std::memset(out, '*', Width);
    return;
  }
  std::memset(out, ' ', Width);
  auto digits = static_cast<std::uint32_t>(magnitude);
  char* p = out + Width;
  do {
    *--p = static_cast<char>('0' + digits % 10);
    digits /= 10;
  } while (digits != 0);
  if (negative) *--p = '-';
}

}  // namespace run
