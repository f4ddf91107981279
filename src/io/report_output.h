// File line output on unit 3: one record of the report, written as one line.
#pragma once

#include <string_view>

namespace io {

// Longest record the report file takes, its CR LF not counted.
inline constexpr std::size_t kReportRecordLength = 1330;

// Writes `record` and CR LF to unit 3 in one write, at once.
void file_line_output(std::string_view record);

}  // namespace io
