#include "io/text_line.h"

namespace io {

TextLine& TextLine::add(std::string_view text) {
  for (char c : text) {
    if (size_ == kCapacity) break;
    buffer_[size_++] = c;
  }
  return *this;
}

TextLine& TextLine::add(long long number) {
  char digits[24];
  int n = 0;
  unsigned long long magnitude = number < 0 ? 0ULL - static_cast<unsigned long long>(number)
                                            : static_cast<unsigned long long>(number);
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (number < 0) digits[n++] = '-';
  while (n > 0) add(std::string_view(&digits[--n], 1));
  return *this;
}

TextLine& TextLine::add_visible(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (char c : bytes) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u == '\t') {
      add("\\t");
    } else if (u == '\\') {
      add("\\\\");
    } else if (u < 32 || u > 126) {
      const char escaped[4] = {'\\', 'x', kHex[u >> 4], kHex[u & 15]};
      add(std::string_view(escaped, 4));
    } else {
      add(std::string_view(&c, 1));
    }
  }
  return *this;
}

}  // namespace io
