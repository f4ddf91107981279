#include "run/card_pair.h"

#include <string_view>

#include "io/connections.h"
#include "io/messages.h"
#include "io/termination.h"
#include "io/text_line.h"
#include "run/numeric_field.h"

namespace run {
namespace {

CardPair pair;

constexpr int kValueColumn = 20;  // 0-based column where the hourly values begin
constexpr int kDateWidth = 2;
constexpr int kValueWidth = 5;

// Ends the run for a card that does not decode; the traceback names the card's line,
// the field and what it holds.
[[noreturn]] void conversion_error(const CardPair& p, int card, const io::TextLine& what) {
  io::TextLine where;
  where.add("card decode: line ").add(p.line[card]).add(" of ");
  where.add(io::connection(io::kEeiUnit).name).add(", ").add(what.view());
  io::fatal(
      {io::diagnostic::kConversionError, io::kCardImageUnit, io::kCardImageName, 0, where.view()});
}

[[noreturn]] void bad_field(const CardPair& p, int card, const FieldText& text,
                            std::string_view field_name, int hour) {
  io::TextLine what;
  what.add("columns ").add(text.first_column).add("-");
  what.add(text.first_column + (text.length > 0 ? text.length - 1 : 0));
  what.add(" (").add(field_name);
  if (hour != 0) what.add(", hour ").add(hour);
  what.add(") hold \"");
  what.add_visible(std::string_view(p.image[card] + text.first_column - 1,
                                    static_cast<std::size_t>(text.length)));
  what.add("\", not a whole number");
  conversion_error(p, card, what);
}

void decode_date_field(CardPair& p, int card, int& position, std::int32_t& item,
                       std::string_view field_name) {
  std::int64_t value = 0;
  bool ok = false;
  FieldText text{};
  decode_fixed<kDateWidth>(p.image[card], position, value, ok, text);
  if (!ok) bad_field(p, card, text, field_name, 0);
  item = static_cast<std::int32_t>(value);
}

}  // namespace

const CardPair& card_pair() {
  return pair;
}

void decode_card(CardPair& p, int card) {
  int position = 0;
  decode_date_field(p, card, position, p.date[card].month, "month");
  decode_date_field(p, card, position, p.date[card].day, "day");
  decode_date_field(p, card, position, p.date[card].year, "year");
  decode_date_field(p, card, position, p.indicator[card], "half-day indicator");

  std::int32_t indicator = p.indicator[card];
  if (indicator != 1 && indicator != 2) {
    io::TextLine what;
    what.add("columns 7-8 (half-day indicator) hold ").add(indicator).add(", not 1 or 2");
    conversion_error(p, card, what);
  }

  int first_hour = card * kHoursPerCard + 1;
  position = kValueColumn;
  static constexpr const char* kValueNames[kHoursPerCard] = {
      "hourly value 1", "hourly value 2",  "hourly value 3",  "hourly value 4",
      "hourly value 5", "hourly value 6",  "hourly value 7",  "hourly value 8",
      "hourly value 9", "hourly value 10", "hourly value 11", "hourly value 12"};
  for (int k = 0; k < kHoursPerCard; ++k) {
    std::int64_t value = 0;
    bool ok = false;
    FieldText text{};
    decode_fixed<kValueWidth>(p.image[card], position, value, ok, text);
    if (!ok) bad_field(p, card, text, kValueNames[k], first_hour + k);
    p.values[indicator - 1][first_hour - 1 + k] = value;
  }
}

void GETPAIR(bool& end_of_file) {
  io::Routine routine("GETPAIR");
  for (int card = 0; card < 2; ++card) {
    io::file_line_input(pair.image[card], end_of_file);
    if (end_of_file) return;
    pair.line[card] = io::eei_line_number();
  }
  decode_card(pair, 0);
  decode_card(pair, 1);
}

}  // namespace run
