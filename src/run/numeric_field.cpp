#include "run/numeric_field.h"

namespace run {

void decode_field(const char* card, int& position, int width, std::int64_t& value, bool& ok,
                  FieldText& text) {
  detail::decode_field_text(card, position, width, value, ok, text);
}

}  // namespace run
