// Card decoding: the input is a card image (its first 80 bytes, blank-padded). Every field
// of the card layout is decoded by decode_field and compared with the rule written out
// plainly below; then the whole card goes through decode_card. A card that decodes must
// give exactly the fields' values; one that does not must end the run, in a forked child
// (for one input in 64), with the input conversion error and a traceback that shows only
// printable text.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/fuzz_support.h"
#include "run/card_pair.h"
#include "run/numeric_field.h"

namespace {

struct Field {
  bool ok;
  std::int64_t value;
  run::FieldText text;
  int next_position;
};

// The field rule as the card format states it: the field text is the next `width`
// characters, or those before a comma among them (the position then moves past the
// comma); blanks are ignored wherever they stand; a sign may come first; every other
// character must be a digit.
Field plain_field(const char* card, int position, int width) {
  const char* field = card + position;
  int length = 0;
  while (length < width && field[length] != ',') ++length;
  Field f{true, 0, {position + 1, length}, position + (length < width ? length + 1 : width)};
  int i = 0;
  while (i < length && field[i] == ' ') ++i;
  bool negative = false;
  if (i < length && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  std::int64_t magnitude = 0;
  for (; i < length; ++i) {
    if (field[i] >= '0' && field[i] <= '9') {
      magnitude = magnitude * 10 + (field[i] - '0');
    } else if (field[i] != ' ') {
      f.ok = false;
      return f;
    }
  }
  f.value = negative ? -magnitude : magnitude;
  return f;
}

Field checked_field(const char* card, int position, int width) {
  Field expected = plain_field(card, position, width);
  int moved = position;
  std::int64_t value = -424242;
  bool ok = !expected.ok;
  run::FieldText text{-1, -1};
  run::decode_field(card, moved, width, value, ok, text);
  if (ok != expected.ok)
    fuzz::fail("decode_field accepts what the rule refuses, or refuses what it accepts");
  if (text.first_column != expected.text.first_column || text.length != expected.text.length) {
    fuzz::fail("decode_field names other columns than the rule",
               std::to_string(text.first_column) + "+" + std::to_string(text.length) + " vs " +
                   std::to_string(expected.text.first_column) + "+" +
                   std::to_string(expected.text.length));
  }
  if (ok && (value != expected.value || moved != expected.next_position)) {
    fuzz::fail("decode_field gives another value or position than the rule",
               std::to_string(value) + " at " + std::to_string(moved) + " vs " +
                   std::to_string(expected.value) + " at " +
                   std::to_string(expected.next_position));
  }
  return expected;
}

bool printable_line(const std::string& line) {
  for (unsigned char c : line) {
    if (c < 32 || c > 126) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The card on the heap, exactly 80 bytes, so that a read past column 80 is caught.
  std::unique_ptr<char[]> card(new char[io::kCardColumns]);
  std::memset(card.get(), ' ', io::kCardColumns);
  std::memcpy(card.get(), data, size < io::kCardColumns ? size : io::kCardColumns);
  int which = size > io::kCardColumns ? data[io::kCardColumns] & 1 : 0;  // first or second card

  // The layout of a card: month, day, year, half-day indicator (2 columns each, from
  // column 1), then twelve hourly values of 5 columns from column 21.
  bool decodes = true;
  std::int64_t dates[4] = {};
  int position = 0;
  for (int k = 0; k < 4 && decodes; ++k) {
    Field f = checked_field(card.get(), position, 2);
    decodes = f.ok;
    dates[k] = f.value;
    position = f.next_position;
  }
  decodes = decodes && (dates[3] == 1 || dates[3] == 2);
  std::int64_t values[12] = {};
  position = 20;
  for (int k = 0; k < 12 && decodes; ++k) {
    Field f = checked_field(card.get(), position, 5);
    decodes = f.ok;
    values[k] = f.value;
    position = f.next_position;
  }

  auto pair = std::make_unique<run::CardPair>();
  std::memcpy(pair->image[which], card.get(), io::kCardColumns);
  if (decodes) {
    run::decode_card(*pair, which);
    const run::CardDate& d = pair->date[which];
    if (d.month != dates[0] || d.day != dates[1] || d.year != dates[2] ||
        pair->indicator[which] != dates[3]) {
      fuzz::fail("decode_card gives another date or indicator than its fields");
    }
    for (int k = 0; k < 12; ++k) {
      if (pair->values[dates[3] - 1][which * 12 + k] != values[k]) {
        fuzz::fail("decode_card puts another value in the table than its field");
      }
    }
    return 0;
  }

  if (!fuzz::sampled(data, size, 64)) return 0;
  std::string err;
  int status = fuzz::run_to_end([&] { run::decode_card(*pair, which); }, err);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 64) {
    fuzz::fail("a card that does not decode ends otherwise than with 64",
               "wait status " + std::to_string(status) + "\n" + err);
  }
  const std::string first =
      "eei2csv: severe (64): input conversion error, unit -5, file Internal Formatted Read\n";
  if (err.compare(0, first.size(), first) != 0 || !err.ends_with("\n")) {
    fuzz::fail("the diagnostic of a card that does not decode", err);
  }
  std::size_t start = 0;
  while (start < err.size()) {
    std::size_t lf = err.find('\n', start);
    std::string line = err.substr(start, lf - start);
    if (line.rfind("eei2csv: ", 0) != 0 || !printable_line(line)) {
      fuzz::fail("a diagnostic line that is not plain tagged text", err);
    }
    start = lf + 1;
  }
  return 0;
}
