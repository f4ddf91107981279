// Decoding one numeric field of a card image.
#pragma once

#include <cstdint>

namespace run {

// The outcome of decoding a field: its value, or the columns and text that failed.
struct FieldText {
  int first_column;  // 1-based column of the field text's first character
  int length;        // characters of the field text (up to a comma, if one stands in it)
};

// Decodes the field of `width` columns at 0-based `position` of `card`. The field text is
// the next `width` characters, or those before a comma among them (the position then
// moves past the comma instead of by `width`). Blanks are ignored wherever they stand; a
// sign may come first; every other character must be a digit. A field of blanks, or of a
// sign alone, is 0. Sets `ok` to false for any other character; `text` tells where.
void decode_field(const char* card, int& position, int width, std::int64_t& value, bool& ok,
                  FieldText& text);

namespace detail {

// One pass over the field's columns: the first comma ends the field text, so the scan
// stops there; a character that is neither digit, blank nor comma fails the field, and only
// then is the rest searched for a comma, to tell how long the failed field text is.
inline void decode_field_text(const char* card, int& position, int width, std::int64_t& value,
                              bool& ok, FieldText& text) {
  const char* field = card + position;
  int i = 0;
  while (i < width && field[i] == ' ') ++i;
  // The usual field first: digits from the first non-blank to the last column.
  std::int64_t digits = 0;
  int j = i;
  for (; j < width; ++j) {
    unsigned digit = static_cast<unsigned>(static_cast<unsigned char>(field[j])) - '0';
    if (digit >= 10) break;
    digits = digits * 10 + digit;
  }
  if (j == width) {
    text = {position + 1, width};
    position += width;
    value = digits;
    ok = true;
    return;
  }
  // Any other field: a sign, blanks among the digits, a comma or a character that fails.
  bool negative = false;
  if (i < width && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  std::int64_t magnitude = 0;
  ok = true;
  for (; i < width; ++i) {
    char c = field[i];
    unsigned digit = static_cast<unsigned>(static_cast<unsigned char>(c)) - '0';
    if (digit < 10) [[likely]] {
      magnitude = magnitude * 10 + digit;
    } else if (c == ',') {
      break;
    } else if (c != ' ') {
      ok = false;
      while (i < width && field[i] != ',') ++i;
      break;
    }
  }
  text = {position + 1, i};
  position += i < width ? i + 1 : width;
  if (ok) value = negative ? -magnitude : magnitude;
}

}  // namespace detail

// The same for a width known when compiling (2 for the date fields and the half-day
// indicator, 5 for an hourly value): the card decoder's hot path, without a call.
template <int Width>
inline void decode_fixed(const char* card, int& position, std::int64_t& value, bool& ok,
                         FieldText& text) {
  detail::decode_field_text(card, position, Width, value, ok, text);
}

}  // namespace run
