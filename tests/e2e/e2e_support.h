// End-to-end test support: EEI cards built from their fields, the console transcript and the
// report that a run should give, and a run of the real tool in a temporary folder.
#pragma once

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "support/child.h"

namespace e2e {

// One EEI card as decoded: date, half-day indicator and its twelve hourly values.
struct Card {
  int month = 1, day = 1, year = 13, indicator = 1;
  std::array<long long, 12> values{};

  // The 80-column card line (no terminator): each field right-justified in its columns,
  // columns 9-20 holding text that is never examined.
  std::string line() const;
};

// The EEI file of `cards`, one line each, every line ended by `terminator`.
std::string eei_file(const std::vector<Card>& cards, std::string_view terminator = "\n");

// The report file of `cards` taken as pairs: the header line, then 24 lines per pair; a
// last card without a partner adds nothing.
std::string report(const std::vector<Card>& cards);
inline constexpr std::string_view kHeader = "MO,DA,YR,HR,LOAD\r\n";

// Console lines: one list line statement of `items` laid out in lines of 80 characters.
std::string list_line(std::initializer_list<std::string_view> items);
std::string banner_and_eei_prompt();  // banner line and EEI prompt line
std::string eei_echo(std::string_view name);
std::string report_prompt();
std::string report_echo(std::string_view name);
inline constexpr std::string_view kCompletionLine =
    "PROGRAM DONE- EEI CARDS WRITTEN IN VERT CSV\r\n";

// The whole standard output of a run that converts to its end.
std::string transcript(std::string_view eei_name, std::string_view report_name);

// The absolute name under which the tool shows `name`, a file in `dir`: for the Windows
// build under Wine, the name on drive Z: with backslashes.
std::string shown_name(const testing_support::TempDir& dir, const std::string& name);

// The name under which the tool shows the absolute Linux `path`.
std::string shown_path(const std::string& path);

// Whether the tool under test is the Windows build, run by its launcher (Wine).
bool windows_tool();

// A diagnostic line as the tool under test writes it: for the Windows build, a system
// text line of the Linux build becomes the text of the Windows error behind that fault.
std::string platform_line(const std::string& line);

// Runs the tool in `dir` with `input` on its standard input.
testing_support::ChildResult run_tool(const testing_support::TempDir& dir, const std::string& input,
                                      testing_support::ChildOptions options = {},
                                      std::vector<std::string> arguments = {});

// The names of the files in `dir`, sorted.
std::vector<std::string> files_in(const testing_support::TempDir& dir);

// Compares two file contents; on a difference names the sizes and the first differing line
// instead of printing megabytes.
::testing::AssertionResult same_bytes(const std::string& got, const std::string& want);

// Standard error split into lines (each ended by LF in the output; a missing last LF
// leaves a last line that does not compare equal to a complete one).
std::vector<std::string> err_lines(const std::string& err);

// Checks that standard error holds exactly `lines` followed by a traceback of at least one
// line, each traceback line starting with the program tag.
void expect_diagnostic(const std::string& err, const std::vector<std::string>& lines);

}  // namespace e2e
