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

}  // namespace run
