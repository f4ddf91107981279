// Whole runs over EEI files: how lines become cards, what the report holds, the pair
// limit, and cards that do not decode.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/e2e_support.h"

namespace e2e {
namespace {

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

const std::vector<Card> kCards = {
    {1, 31, 13, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
    {1, 31, 13, 2, {13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}},
    {12, 1, 99, 1, {-9999, 99999, 0, -1, 500, 0, 0, 77, 8888, 0, 10000, -5}},
    {12, 2, 0, 2, {99999, 0, 1, 2, 3, -4, 5, 6, 7, 8, 9, 1234}},
};

std::vector<Card> first(std::size_t count, const std::vector<Card>& cards = kCards) {
  return {cards.begin(), cards.begin() + static_cast<std::ptrdiff_t>(count)};
}

std::string lines(const std::vector<Card>& cards, std::size_t from, std::size_t to) {
  std::string out;
  for (std::size_t i = from; i < to; ++i) out += cards[i].line() + "\n";
  return out;
}

// Runs the tool over `eei` with the report r.csv.
testing_support::ChildResult convert(const TempDir& dir, const std::string& eei) {
  write_file(dir.file("cards.eei"), eei);
  return run_tool(dir, "cards.eei\nr.csv\n");
}

void expect_normal_end(const testing_support::ChildResult& r) {
  EXPECT_EQ(r.out, transcript("cards.eei", "r.csv"));
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(r.exited());
  EXPECT_EQ(r.exit_code(), 0);
}

TEST(E2eConversion, EeiFileLinesBecomeCards) {
  std::string lf = eei_file(kCards), crlf = eei_file(kCards, "\r\n");
  std::string long_lines;
  for (const Card& c : kCards) long_lines += c.line() + " past column 80: 1.E,\t-x\n";
  std::string one_long_line =
      kCards[0].line() + std::string(20000 - 80, 'x') + "\n" + lines(kCards, 1, 4);
  struct Row {
    const char* what;
    std::string eei;
    std::vector<Card> cards;
  };
  const Row kRows[] = {
      {"LF lines", lf, kCards},
      {"CR LF lines", crlf, kCards},
      {"mixed terminators",
       kCards[0].line() + "\r\n" + kCards[1].line() + "\n" + kCards[2].line() + "\r\n" +
           kCards[3].line() + "\n",
       kCards},
      {"last line without LF", lf.substr(0, lf.size() - 1), kCards},
      {"last line ends in CR without LF", crlf.substr(0, crlf.size() - 1), kCards},
      {"text after column 80", long_lines, kCards},
      {"a line of 20000 characters", one_long_line, kCards},
      // a Ctrl-Z line ends the file; what follows is never read
      {"Ctrl-Z line", lines(kCards, 0, 2) + "\x1a\n" + lines(kCards, 2, 4), first(2)},
      {"Ctrl-Z CR LF line", lines(kCards, 0, 2) + "\x1a\r\nno card.\n1.E\n", first(2)},
      {"Ctrl-Z last line without LF", lines(kCards, 0, 2) + "\x1a", first(2)},
      // a last card without a partner is not decoded, whatever it holds
      {"odd card count", lf + "not a card: 1.E,x\n", kCards},
      {"one card", "garbage\n", {}},
      {"empty file", "", {}},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.what);
    TempDir dir;
    auto r = convert(dir, row.eei);
    expect_normal_end(r);
    EXPECT_TRUE(same_bytes(read_file(dir.file("r.csv")), report(row.cards)));
    EXPECT_EQ(read_file(dir.file("cards.eei")), row.eei);
  }
}

TEST(E2eConversion, FieldFormsAsWrittenOnTheCard) {
  // First card: month 1, day 2, year 13, indicator 1; columns 9-20 and past 80 not examined.
  std::string first_card = std::string(" 1 213 1") + "1.E,\t-xx_ZZZ" + "  123" + "00123" + "123  " +
                           "1 2 3" + "+ 123" + "     " + "-12  " + "- 12 " + "  -12" + "-    " +
                           "-9999" + "99999" + "1.E,\t";
  // Second card: month 05, day -1, year 05, indicator 2, and a line that ends before
  // column 21: all its values are 0.
  std::string second_card = "05-105 2";
  // The next pair has its indicators the other way round and different dates.
  std::vector<Card> swapped = {{3, 4, 5, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
                               {3, 5, 5, 1, {-1, -2, -3, -4, -5, -6, -7, -8, -9, -10, -11, -12}}};
  TempDir dir;
  auto r = convert(dir, first_card + "\n" + second_card + "\n" + eei_file(swapped));
  expect_normal_end(r);

  std::string want = std::string(kHeader) +
                     " 1, 2,13, 1,  123\r\n"
                     " 1, 2,13, 2,  123\r\n"
                     " 1, 2,13, 3,  123\r\n"
                     " 1, 2,13, 4,  123\r\n"
                     " 1, 2,13, 5,  123\r\n"
                     " 1, 2,13, 6,    0\r\n"
                     " 1, 2,13, 7,  -12\r\n"
                     " 1, 2,13, 8,  -12\r\n"
                     " 1, 2,13, 9,  -12\r\n"
                     " 1, 2,13,10,    0\r\n"
                     " 1, 2,13,11,-9999\r\n"
                     " 1, 2,13,12,99999\r\n";
  for (int hour = 13; hour <= 24; ++hour) want += " 5,-1, 5," + std::to_string(hour) + ",    0\r\n";
  want += report(swapped).substr(kHeader.size());
  EXPECT_EQ(read_file(dir.file("r.csv")), want);
}

TEST(E2eConversion, ExistingReportIsReplacedWhole) {
  TempDir dir;
  write_file(dir.file("r.csv"), std::string(1 << 20, 'x'));
  auto r = convert(dir, eei_file(first(2)));
  expect_normal_end(r);
  std::string got = read_file(dir.file("r.csv"));
  EXPECT_EQ(got.size(), 474u);  // header and 24 lines, each with CR LF
  EXPECT_EQ(got, report(first(2)));
}

// True when `text` names line `number` ("line 12", not "line 123").
bool names_line(const std::string& text, int number) {
  std::string word = "line " + std::to_string(number);
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    std::size_t after = at + word.size();
    if (after == text.size() || text[after] < '0' || text[after] > '9') return true;
  }
  return false;
}

TEST(E2eConversion, CardThatDoesNotDecodeEndsTheRun) {
  struct Row {
    int line;             // line of the EEI file that holds the bad field
    int column;           // where the field text below is put
    const char* text;     // what the field holds
    const char* columns;  // the field's columns as the traceback names them
    const char* named;    // further text the traceback names
  };
  const Row kRows[] = {
      // card dates
      {1, 1, "1.", "1-2", "1."},
      {4, 3, "x1", "3-4", "x1"},
      {3, 5, "_5", "5-6", "_5"},
      // hourly values
      {5, 21, "12.5 ", "21-25", "12.5"},
      {6, 76, "1E3  ", "76-80", "1E3"},
      {3, 46, "1-2  ", "46-50", "1-2"},
      {2, 31, " \t 1 ", "31-35", ""},
      // a half-day indicator other than 1 or 2
      {4, 7, " 3", "7-8", "indicator"},
  };
  std::vector<Card> cards = kCards;
  cards.push_back({2, 1, 14, 1, {}});
  cards.push_back({2, 1, 14, 2, {}});
  for (const Row& row : kRows) {
    SCOPED_TRACE(testing::Message() << "line " << row.line << " column " << row.column);
    std::string eei;
    for (std::size_t i = 0; i < cards.size(); ++i) {
      std::string line = cards[i].line();
      if (static_cast<int>(i) + 1 == row.line)
        line.replace(static_cast<std::size_t>(row.column - 1), std::string(row.text).size(),
                     row.text);
      eei += line + "\n";
    }
    TempDir dir;
    auto r = convert(dir, eei);

    EXPECT_EQ(r.out, banner_and_eei_prompt() + eei_echo("cards.eei") + report_prompt() +
                         report_echo("r.csv"));
    expect_diagnostic(
        r.err,
        {"eei2csv: severe (64): input conversion error, unit -5, file Internal Formatted Read"});
    std::vector<std::string> err = err_lines(r.err);
    ASSERT_GE(err.size(), 2u);
    // The traceback line may name the EEI file too; its random folder name is left out.
    std::string traceback = err[1];
    const std::string eei_name = shown_name(dir, "cards.eei");
    if (std::size_t at = traceback.find(eei_name); at != std::string::npos)
      traceback.erase(at, eei_name.size());
    EXPECT_TRUE(names_line(traceback, row.line)) << err[1];
    EXPECT_NE(traceback.find(row.columns), std::string::npos) << err[1];
    EXPECT_NE(traceback.find(row.named), std::string::npos) << err[1];
    EXPECT_EQ(r.exit_code(), 64);
    // The report keeps the header and the pairs before the bad one.
    EXPECT_EQ(read_file(dir.file("r.csv")),
              report(first(static_cast<std::size_t>(row.line - 1) / 2 * 2, cards)));
  }
}

// Cards of `pairs` pairs, every field varied with the pair's number.
std::vector<Card> many_pairs(int pairs) {
  std::vector<Card> cards;
  cards.reserve(static_cast<std::size_t>(pairs) * 2);
  for (int i = 0; i < pairs; ++i) {
    for (int card = 0; card < 2; ++card) {
      Card c{i % 12 + 1, (i + card) % 31 + 1, i % 100, card + 1, {}};
      for (int k = 0; k < 12; ++k)
        c.values[static_cast<std::size_t>(k)] =
            (i * 131LL + (card * 12 + k) * 7919LL) % 109999 - 9999;
      cards.push_back(c);
    }
  }
  return cards;
}

TEST(E2eConversion, RunConvertsAtMost50000Pairs) {
  const std::vector<Card> cards = many_pairs(50000);
  const std::string want = report(cards);
  ASSERT_EQ(std::count(want.begin(), want.end(), '\n'), 1 + 1200000);
  // After the 50000th pair: nothing, or cards that would not decode.
  for (const char* rest : {"", "not a card: 1.E\nnot a card\n 1 1 1 1\n"}) {
    SCOPED_TRACE(testing::Message() << "after 50000 pairs: \"" << rest << "\"");
    TempDir dir;
    auto r = convert(dir, eei_file(cards) + rest);
    expect_normal_end(r);
    EXPECT_TRUE(same_bytes(read_file(dir.file("r.csv")), want));
  }
}

}  // namespace
}  // namespace e2e
