// Shared by the fault and interrupt tests: EEI card files whose reports are known in
// advance (pair p carries its own date and 24 distinct hourly values, so any prefix of its
// report can be told line for line), the dialogue lines, and the check of standard error.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <string>
#include <vector>

namespace faults {

inline constexpr int kCardLineBytes = 81;    // 80 columns and LF
inline constexpr int kReportLineBytes = 19;  // 17 characters and CR LF
inline constexpr const char* kHeader = "MO,DA,YR,HR,LOAD\r\n";

struct PairDate {
  int month, day, year;
};

inline PairDate pair_date(int pair) {
  return {pair % 12 + 1, pair % 28 + 1, (pair / 336) % 100};
}

inline int hour_value(int pair, int hour) {
  return (pair * 24 + hour) % 100000;
}

// Card `half` (0: hours 1 to 12, half-day indicator 1; 1: hours 13 to 24, indicator 2) of
// pair `pair`, with its LF.
inline std::string card(int pair, int half) {
  PairDate d = pair_date(pair);
  char text[96];
  int n = std::snprintf(text, sizeof text, "%2d%2d%2d%2d            ", d.month, d.day, d.year,
                        half + 1);
  for (int k = 1; k <= 12; ++k) {
    n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), "%5d",
                       hour_value(pair, half * 12 + k));
  }
  return std::string(text, static_cast<std::size_t>(n)) + "\n";
}

// An EEI file of `pairs` card pairs.
inline std::string eei_file(int pairs) {
  std::string file;
  file.reserve(static_cast<std::size_t>(pairs) * 2 * kCardLineBytes);
  for (int p = 0; p < pairs; ++p) file += card(p, 0) + card(p, 1);
  return file;
}

// The report line of hour `hour` (1 to 24) of pair `pair`, with its CR LF.
inline std::string report_line(int pair, int hour) {
  PairDate d = pair_date(pair);
  char line[32];
  std::snprintf(line, sizeof line, "%2d,%2d,%2d,%2d,%5d\r\n", d.month, d.day, d.year, hour,
                hour_value(pair, hour));
  return line;
}

// The report of an EEI file of `pairs` pairs, as its lines: the header, then 24 per pair.
inline std::vector<std::string> report_lines(int pairs) {
  std::vector<std::string> lines{kHeader};
  for (int p = 0; p < pairs; ++p) {
    for (int hour = 1; hour <= 24; ++hour) lines.push_back(report_line(p, hour));
  }
  return lines;
}

// The first `count` lines of the report of `pairs` pairs, as one text.
inline std::string report_prefix(int pairs, std::size_t count) {
  std::vector<std::string> lines = report_lines(pairs);
  std::string text;
  for (std::size_t i = 0; i < count && i < lines.size(); ++i) text += lines[i];
  return text;
}

// Splits standard error into its lines, without their LF.
inline std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t lf = text.find('\n', start);
    if (lf == std::string::npos) lf = text.size();
    lines.push_back(text.substr(start, lf - start));
    start = lf + 1;
  }
  return lines;
}

// The console lines of a run that converts `eei` into `report`, up to `count` of them.
inline std::string dialogue(const std::string& eei, const std::string& report, std::size_t count) {
  const std::string lines[] = {
      "  RUNNING SUBROUTINE FILES\r\n",
      "  ENTER THE NAME OF THE EEI FILE \r\n",
      "  OPENING FIRST FILE AS FILE 01 : " + eei + "\r\n",
      "  ENTER THE NAME OF THE OUTPUT REPORT FILE (DEFAULT=LOADHRS.CSV):\r\n",
      "  OPENING REPORT FILE AS FILE 03 : " + report + "\r\n",
      "PROGRAM DONE- EEI CARDS WRITTEN IN VERT CSV\r\n",
  };
  std::string text;
  for (std::size_t i = 0; i < count && i < std::size(lines); ++i) text += lines[i];
  return text;
}

// Standard error holds exactly the `expected` system text and diagnostic lines; every
// severe diagnostic line is followed by its traceback, and every line carries the tag.
inline void expect_diagnostics(const std::string& err, const std::vector<std::string>& expected) {
  std::vector<std::string> lines = split_lines(err);
  std::vector<std::string> diagnostics;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].rfind("eei2csv: ", 0), 0u) << lines[i];
    if (lines[i].rfind("eei2csv: in ", 0) == 0) continue;
    diagnostics.push_back(lines[i]);
    if (lines[i].rfind("eei2csv: severe", 0) == 0) {
      EXPECT_TRUE(i + 1 < lines.size() && lines[i + 1].rfind("eei2csv: in ", 0) == 0)
          << "no traceback after " << lines[i];
    }
  }
  EXPECT_EQ(diagnostics, expected) << err;
  EXPECT_TRUE(err.empty() || err.ends_with("\n")) << err;
}

// The folder as the tool names it: the working directory the system reports.
inline std::string real_path(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  std::string result = resolved != nullptr ? resolved : path;
  ::free(resolved);
  return result;
}

}  // namespace faults
