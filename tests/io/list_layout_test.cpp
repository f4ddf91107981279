// List line layout: how the items of one list line output become console lines.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "io/console.h"

namespace {

void collect(const char* line, std::size_t length, void* context) {
  static_cast<std::vector<std::string>*>(context)->emplace_back(line, length);
}

// `n` characters that show where a cut falls: 0123456789 repeated.
std::string digits(std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += static_cast<char>('0' + i % 10);
  return s;
}

const std::string kBanner = " RUNNING SUBROUTINE FILES";
const std::string kEeiPrompt = " ENTER THE NAME OF THE EEI FILE ";
const std::string kReportPrompt = " ENTER THE NAME OF THE OUTPUT REPORT FILE";
const std::string kDefault = " (DEFAULT=LOADHRS.CSV):";
const std::string kFirstEcho = " OPENING FIRST FILE AS FILE 01 : ";
const std::string kReportEcho = " OPENING REPORT FILE AS FILE 03 : ";

struct Layout {
  const char* what;
  std::vector<std::string> items;
  std::vector<std::string> lines;  // without the leading blank and CR LF of each line
};

const Layout kLayouts[] = {
    // The texts of the dialogue.
    {"banner", {kBanner}, {kBanner}},
    {"EEI prompt", {kEeiPrompt}, {kEeiPrompt}},
    {"report prompt and default", {kReportPrompt, kDefault}, {kReportPrompt + kDefault}},
    {"echo and a name of 46", {kFirstEcho, digits(46)}, {kFirstEcho + digits(46)}},
    {"echo and a name of 47", {kFirstEcho, digits(47)}, {kFirstEcho, digits(47)}},
    {"echo and a name of 79", {kFirstEcho, digits(79)}, {kFirstEcho, digits(79)}},
    {"echo and a name of 100",
     {kReportEcho, digits(100)},
     {kReportEcho, digits(79), digits(100).substr(79)}},
    {"echo and an empty name", {kReportEcho, ""}, {kReportEcho}},
    // Two items fill one line of 80 characters; one character more moves the second.
    {"40 and 39", {digits(40), std::string(39, 'b')}, {digits(40) + std::string(39, 'b')}},
    {"40 and 40", {digits(40), std::string(40, 'b')}, {digits(40), std::string(40, 'b')}},
    // A first item is never moved; a long one is cut into pieces of 79.
    {"first item of 79", {digits(79)}, {digits(79)}},
    {"first item of 80", {digits(80)}, {digits(79), "9"}},
    {"first item of 200",
     {digits(200)},
     {digits(79), digits(200).substr(79, 79), digits(200).substr(158)}},
    {"first item of 158", {digits(158)}, {digits(79), digits(158).substr(79)}},
    {"second item of 158 after a label",
     {kReportEcho, std::string(158, 'n')},
     {kReportEcho, std::string(79, 'n'), std::string(79, 'n')}},
    // Items stand back to back, with no separator of their own.
    {"three items", {"a", " b ", "c"}, {"a b c"}},
    {"an empty first item", {"", "x"}, {"x"}},
};

TEST(ListLayout, Table) {
  for (const Layout& row : kLayouts) {
    SCOPED_TRACE(row.what);
    std::vector<std::string_view> items(row.items.begin(), row.items.end());
    std::vector<std::string> lines;
    io::lay_out_list(items, collect, &lines);
    std::vector<std::string> expected;
    for (const std::string& line : row.lines) expected.push_back(" " + line + "\r\n");
    EXPECT_EQ(lines, expected);
    for (const std::string& line : lines) EXPECT_LE(line.size(), 82u) << line;
  }
}

// The banner line: a blank, the 25 item characters, CR and LF.
TEST(ListLayout, BannerIs28Bytes) {
  std::vector<std::string_view> items = {kBanner};
  std::vector<std::string> lines;
  io::lay_out_list(items, collect, &lines);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "  RUNNING SUBROUTINE FILES\r\n");
  EXPECT_EQ(lines[0].size(), 28u);
}

}  // namespace
