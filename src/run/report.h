// The vertical CSV report: PUTHDR writes the header line, PUTDAY the 24 report lines of
// the card pair just decoded.
#pragma once

#include <string_view>

namespace run {

inline constexpr std::string_view kHeaderLine = "MO,DA,YR,HR,LOAD";
inline constexpr int kReportLineLength = 17;

void PUTHDR();
void PUTDAY();

}  // namespace run
