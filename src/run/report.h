// The vertical CSV report: PUTHDR writes the header line, PUTDAY the 24 report lines of
// the card pair just decoded.
#pragma once

#include <string_view>

namespace run {

struct CardPair;

inline constexpr std::string_view kHeaderLine = "MO,DA,YR,HR,LOAD";
inline constexpr int kReportLineLength = 17;

void PUTHDR();
void PUTDAY();

// Receives each report line of a card pair (17 characters) the moment it is complete.
using ReportLineSink = void (*)(std::string_view line, void* context);

// Renders the 24 report lines of `pair` in hour order: hours 1 to 12 with the first card's
// date, 13 to 24 with the second card's, each with the value the pair has for that hour.
void render_day(const CardPair& pair, ReportLineSink sink, void* context);

}  // namespace run
