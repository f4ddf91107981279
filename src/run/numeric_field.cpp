#include "run/numeric_field.h"

namespace run {

void decode_field(const char* card, int& position, int width, std::int64_t& value, bool& ok,
                  FieldText& text) {
  const char* field = card + position;
  int length = 0;
  while (length < width && field[length] != ',') ++length;
  text = {position + 1, length};
  position += length < width ? length + 1 : width;

  int i = 0;
  while (i < length && field[i] == ' ') ++i;
  bool negative = false;
  if (i < length && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  std::int64_t magnitude = 0;
  for (; i < length; ++i) {
    char c = field[i];
    if (c >= '0' && c <= '9') {
      magnitude = magnitude * 10 + (c - '0');
    } else if (c != ' ') {
      ok = false;
      return;
    }
  }
  value = negative ? -magnitude : magnitude;
  ok = true;
}

}  // namespace run
