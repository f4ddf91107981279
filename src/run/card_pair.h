// GETPAIR: the EEI card-pair input. Reads the next two lines of the EEI file as card
// images and decodes them into the card dates, the half-day indicators and the value table.
#pragma once

#include <cstdint>

#include "io/eei_input.h"

namespace run {

inline constexpr int kHoursPerCard = 12;
inline constexpr int kHoursPerDay = 24;

struct CardDate {
  std::int32_t month = 0;
  std::int32_t day = 0;
  std::int32_t year = 0;
};

// The data of the card pair last decoded. Card 0 carries hours 1 to 12, card 1 hours 13
// to 24; each card's values go into the value table row of its half-day indicator.
struct CardPair {
  char image[2][io::kCardColumns] = {};
  long line[2] = {};  // line numbers of the two cards in the EEI file
  CardDate date[2];
  std::int32_t indicator[2] = {};
  std::int64_t values[2][kHoursPerDay] = {};  // rows: indicator 1 and 2; columns: hours 1 to 24

  // The value of `hour` (1 to 24) as the report shows it.
  std::int64_t value(int hour) const {
    int card = hour <= kHoursPerCard ? 0 : 1;
    return values[indicator[card] - 1][hour - 1];
  }
};

// Reads and decodes the next card pair; sets `end_of_file` when the EEI file ends on
// either card (a lone last card is dropped undecoded). A card that fails to decode ends
// the run with the input conversion error.
void GETPAIR(bool& end_of_file);

// The card pair last decoded.
const CardPair& card_pair();

// Decodes `image` as card `card` (0 or 1) of the pair into `pair`; a card that fails to
// decode ends the run.
void decode_card(CardPair& pair, int card);

}  // namespace run
