// KEYVAL, the name-entry scanner: the input's first byte chooses the scan end (-3 to 107),
// the rest fills the 100-character name buffer (blank-padded). The token positions and the
// buffer afterwards are compared with the scanner's rule written out plainly below.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "files/keyval.h"
#include "fuzz/fuzz_support.h"

namespace {

struct Tokens {
  std::int32_t value_start = 0, value_end = 0, keyword_start = 0, keyword_end = 0;
};

// The rule: positions 1 to the scan end (at most 100) are examined. The value token is
// the first run of non-blanks after the first equals sign (or from position 1 when there
// is none); the keyword token is the last run of non-blanks before that equals sign, and
// the letters before it are upper-cased.
Tokens plain_scan(char* buffer, std::int32_t scan_end) {
  Tokens t;
  std::int32_t end = scan_end > 100 ? 100 : scan_end;
  auto at = [&](std::int32_t p) -> char& { return buffer[p - 1]; };
  std::int32_t equals = 0;
  for (std::int32_t p = 1; p <= end && equals == 0; ++p) {
    if (at(p) == '=') equals = p;
  }
  std::int32_t p = equals + 1;
  while (p <= end && at(p) == ' ') ++p;
  if (p <= end) {
    t.value_start = p;
    while (p <= end && at(p) != ' ') ++p;
    t.value_end = p - 1;
  }
  if (equals > 1) {
    for (std::int32_t q = 1; q < equals; ++q) {
      if (at(q) >= 'a' && at(q) <= 'z') at(q) = static_cast<char>(at(q) - 'a' + 'A');
    }
    std::int32_t q = equals - 1;
    while (q >= 1 && at(q) == ' ') --q;
    if (q >= 1) {
      t.keyword_end = q;
      while (q >= 1 && at(q) != ' ') --q;
      t.keyword_start = q + 1;
    }
  }
  return t;
}

std::string shown(const Tokens& t) {
  return std::to_string(t.value_start) + "-" + std::to_string(t.value_end) + " " +
         std::to_string(t.keyword_start) + "-" + std::to_string(t.keyword_end);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::int32_t scan_end = static_cast<std::int32_t>(data[0] % 111) - 3;
  // The buffer on the heap, exactly 100 bytes, so that a position past it is caught.
  struct NameBuffer {
    char field[100];
  };
  auto buffer = std::make_unique<NameBuffer>();
  char(&field)[100] = buffer->field;
  std::memset(field, ' ', 100);
  std::memcpy(field, data + 1, size - 1 < 100 ? size - 1 : 100);
  char expected_buffer[100];
  std::memcpy(expected_buffer, field, 100);

  Tokens got;
  files::KEYVAL(field, scan_end, got.value_start, got.value_end, got.keyword_start,
                got.keyword_end);
  Tokens expected = plain_scan(expected_buffer, scan_end);
  if (shown(got) != shown(expected)) {
    fuzz::fail(
        "KEYVAL finds other tokens than the rule",
        "scan end " + std::to_string(scan_end) + ": " + shown(got) + " vs " + shown(expected));
  }
  if (std::memcmp(field, expected_buffer, 100) != 0) {
    fuzz::fail("KEYVAL leaves the buffer otherwise than the rule");
  }
  return 0;
}
