#include "run/render.h"

namespace run {

void render_field(char* out, int width, std::int64_t value) {
  switch (width) {
    case 2:
      return render_fixed<2>(out, value);
    case 5:
      return render_fixed<5>(out, value);
  }
  std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  int i = width;
  do {
    if (i == 0) break;
    out[--i] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  bool fits = magnitude == 0 && (value >= 0 || i > 0);
  if (!fits) {
    for (int k = 0; k < width; ++k) out[k] = '*';
    return;
  }
  if (value < 0) out[--i] = '-';
  while (i > 0) out[--i] = ' ';
}

}  // namespace run
