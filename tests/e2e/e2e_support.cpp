#include "e2e/e2e_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace e2e {

using testing_support::ChildOptions;
using testing_support::ChildResult;
using testing_support::TempDir;

namespace {

std::string field(long long value, int width) {
  char text[32];
  std::snprintf(text, sizeof text, "%*lld", width, value);
  return text;
}

void add_report_line(std::string& out, const Card& card, int hour, long long value) {
  char line[64];
  std::snprintf(line, sizeof line, "%2d,%2d,%2d,%2d,%5lld\r\n", card.month, card.day, card.year,
                hour, value);
  out += line;
}

}  // namespace

std::string Card::line() const {
  std::string text = field(month, 2) + field(day, 2) + field(year, 2) + field(indicator, 2);
  text += "  not read  ";
  for (long long v : values) text += field(v, 5);
  return text;
}

std::string eei_file(const std::vector<Card>& cards, std::string_view terminator) {
  std::string out;
  out.reserve(cards.size() * (80 + terminator.size()));
  for (const Card& c : cards) out.append(c.line()).append(terminator);
  return out;
}

std::string report(const std::vector<Card>& cards) {
  std::string out(kHeader);
  out.reserve(kHeader.size() + cards.size() / 2 * 24 * 19);
  for (std::size_t i = 0; i + 1 < cards.size(); i += 2) {
    for (int h = 1; h <= 12; ++h) add_report_line(out, cards[i], h, cards[i].values[h - 1]);
    for (int h = 13; h <= 24; ++h)
      add_report_line(out, cards[i + 1], h, cards[i + 1].values[h - 13]);
  }
  return out;
}

std::string list_line(std::initializer_list<std::string_view> items) {
  constexpr std::size_t kWidth = 80;
  std::string out, line = " ";
  bool holds_item = false;
  auto end_line = [&] {
    out += line + "\r\n";
    line = " ";
    holds_item = false;
  };
  for (std::string_view item : items) {
    if (holds_item && item.size() > kWidth - line.size()) end_line();
    while (item.size() > kWidth - line.size()) {
      std::size_t piece = kWidth - line.size();
      line += item.substr(0, piece);
      item.remove_prefix(piece);
      end_line();
    }
    line += item;
    holds_item = true;
  }
  end_line();
  return out;
}

std::string banner_and_eei_prompt() {
  return list_line({" RUNNING SUBROUTINE FILES"}) + list_line({" ENTER THE NAME OF THE EEI FILE "});
}

std::string eei_echo(std::string_view name) {
  return list_line({" OPENING FIRST FILE AS FILE 01 : ", name});
}

std::string report_prompt() {
  return list_line({" ENTER THE NAME OF THE OUTPUT REPORT FILE", " (DEFAULT=LOADHRS.CSV):"});
}

std::string report_echo(std::string_view name) {
  return list_line({" OPENING REPORT FILE AS FILE 03 : ", name});
}

std::string transcript(std::string_view eei_name, std::string_view report_name) {
  return banner_and_eei_prompt() + eei_echo(eei_name) + report_prompt() + report_echo(report_name) +
         std::string(kCompletionLine);
}

std::string shown_name(const TempDir& dir, const std::string& name) {
  return shown_path(dir.path() + "/" + name);
}

std::string shown_path(const std::string& path) {
  if (!windows_tool()) return path;
  // Wine shows the Linux file system as drive Z:, and Windows names use backslashes.
  std::string shown = "Z:" + path;
  std::replace(shown.begin(), shown.end(), '/', '\\');
  return shown;
}

std::string platform_line(const std::string& line) {
  if (!windows_tool()) return line;
  // The system texts of the Linux build, and the texts that Wine gives for the Windows
  // errors behind the same faults.
  static const std::pair<std::string_view, std::string_view> kWindowsTexts[] = {
      {"eei2csv: Resource temporarily unavailable", "eei2csv: Sharing violation."},
      {"eei2csv: No space left on device", "eei2csv: Disk full."},
      {"eei2csv: Bad file descriptor", "eei2csv: Invalid handle."},
      {"eei2csv: Broken pipe", "eei2csv: Pipe not connected."},
  };
  for (const auto& [linux_text, windows_text] : kWindowsTexts) {
    if (line == linux_text) return std::string(windows_text);
  }
  return line;
}

bool windows_tool() {
  return !testing_support::tool_launcher().empty();
}

ChildResult run_tool(const TempDir& dir, const std::string& input, ChildOptions options,
                     std::vector<std::string> arguments) {
  options.cwd = dir.path();
  options.input = input;
  arguments.insert(arguments.begin(), testing_support::tool_path());
  return testing_support::run_child(arguments, options);
}

std::vector<std::string> files_in(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

::testing::AssertionResult same_bytes(const std::string& got, const std::string& want) {
  if (got == want) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
  std::size_t line_start = 0;
  if (std::size_t lf = at == 0 ? std::string::npos : want.rfind('\n', at - 1);
      lf != std::string::npos)
    line_start = lf + 1;
  std::size_t line_number = static_cast<std::size_t>(
      std::count(want.begin(), want.begin() + static_cast<std::ptrdiff_t>(line_start), '\n') + 1);
  return ::testing::AssertionFailure()
         << "sizes " << got.size() << " and " << want.size()
         << " (wanted); first difference at byte " << at << ", line " << line_number
         << ":\n  got:    \"" << got.substr(line_start, 40) << "\"\n  wanted: \""
         << want.substr(line_start, 40) << "\"";
}

std::vector<std::string> err_lines(const std::string& err) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t lf; (lf = err.find('\n', start)) != std::string::npos; start = lf + 1)
    lines.push_back(err.substr(start, lf - start));
  if (start < err.size()) lines.push_back(err.substr(start) + " [no LF at the end]");
  return lines;
}

void expect_diagnostic(const std::string& err, const std::vector<std::string>& lines) {
  std::vector<std::string> got = err_lines(err);
  ASSERT_GT(got.size(), lines.size()) << "no traceback after the diagnostic in:\n" << err;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(got[i], platform_line(lines[i])) << "line " << i + 1;
  }
  for (std::size_t i = lines.size(); i < got.size(); ++i)
    EXPECT_TRUE(got[i].starts_with("eei2csv: ")) << "traceback line " << i + 1 << ": " << got[i];
}

}  // namespace e2e
