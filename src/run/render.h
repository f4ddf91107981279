// Rendering an integer into a fixed-width field of a report line.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

namespace run {

// Writes `value` into out[0..width): decimal, no leading zeros, a minus sign just before
// the first digit, right-justified and blank-filled; `width` asterisks when it does not fit.
void render_field(char* out, int width, std::int64_t value);

// "00" to "99": the two digits of every number below 100.
inline constexpr auto kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int n = 0; n < 100; ++n) {
    pairs[2 * n] = static_cast<char>('0' + n / 10);
    pairs[2 * n + 1] = static_cast<char>('0' + n % 10);
  }
  return pairs;
}();

// The same for a width known when compiling (2 for the date fields and the hour, 5 for the
// hourly value): the report's hot path, a handful of stores and no call. The digits are
// put two at a time, from the right.
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
  while (digits >= 100) {
    p -= 2;
    std::memcpy(p, &kDigitPairs[2 * (digits % 100)], 2);
    digits /= 100;
  }
  if (digits >= 10) {
    p -= 2;
    std::memcpy(p, &kDigitPairs[2 * digits], 2);
  } else {
    *--p = static_cast<char>('0' + digits);
  }
  if (negative) *--p = '-';
}

}  // namespace run
