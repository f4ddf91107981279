#include "files/keyval.h"

namespace files {

void KEYVAL(char (&buffer)[kNameBufferLength], std::int32_t scan_end, std::int32_t& value_start,
            std::int32_t& value_end, std::int32_t& keyword_start, std::int32_t& keyword_end) {
  value_start = value_end = keyword_start = keyword_end = 0;
  if (scan_end > kNameBufferLength) scan_end = kNameBufferLength;
  // at(p) is the character at 1-based position p.
  auto at = [&buffer](std::int32_t p) -> char& { return buffer[p - 1]; };

  std::int32_t equals = 0;
  for (std::int32_t p = 1; p <= scan_end; ++p) {
    if (at(p) == '=') {
      equals = p;
      break;
    }
  }

  for (std::int32_t p = equals + 1; p <= scan_end; ++p) {
    if (at(p) != ' ' && value_start == 0) value_start = p;
    if (at(p) == ' ' && value_start != 0 && value_end == 0) value_end = p - 1;
  }
  if (value_start != 0 && value_end == 0) value_end = scan_end;

  if (equals <= 1) return;
  for (std::int32_t p = equals - 1; p >= 1; --p) {
    if (at(p) >= 'a' && at(p) <= 'z') at(p) = static_cast<char>(at(p) - 32);
    if (at(p) != ' ' && keyword_end == 0) keyword_end = p;
    if (at(p) == ' ' && keyword_end != 0 && keyword_start == 0) keyword_start = p + 1;
  }
  if (keyword_end != 0 && keyword_start == 0) keyword_start = 1;
}

}  // namespace files
