// EEI2CSV: the run driver. Chooses and opens the two files, writes the report header,
// converts up to 50000 card pairs, writes the completion line and stops.
#pragma once

#include <cstdint>
#include <string_view>

namespace run {

inline constexpr std::int32_t kPairLimit = 50000;
inline constexpr std::string_view kCompletionLine = "PROGRAM DONE- EEI CARDS WRITTEN IN VERT CSV";

[[noreturn]] void EEI2CSV();

}  // namespace run
