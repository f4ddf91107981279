// Decoding card images: dates, half-day indicators and hourly values into the value table,
// and the input conversion error that ends the run for a card that does not decode.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "forked.h"
#include "io/connections.h"
#include "io/file_open.h"
#include "run/card_pair.h"

namespace {

constexpr std::int64_t kUntouched = 7777;

// Puts `text` in card image `card`: its first 80 characters, blanks after a shorter text.
void set_image(run::CardPair& pair, int card, const std::string& text) {
  std::string image = text.substr(0, io::kCardColumns);
  image.resize(io::kCardColumns, ' ');
  std::copy(image.begin(), image.end(), pair.image[card]);
}

void fill_values(run::CardPair& pair, std::int64_t value) {
  for (auto& row : pair.values) std::fill(std::begin(row), std::end(row), value);
}

// Twelve 5-column value fields holding `first`, `first` + 1, ...
std::string counting_values(int first) {
  std::string fields;
  for (int k = 0; k < 12; ++k) {
    std::string digits = std::to_string(first + k);
    fields += std::string(5 - digits.size(), ' ') + digits;
  }
  return fields;
}

struct GoodCard {
  std::string image;
  run::CardDate date;
  std::int32_t indicator;
  std::int64_t values[12];
};

const std::string kBlank12(12, ' ');

const GoodCard kGoodCards[] = {
    // Every kind of value field, and columns 9-20 holding text that no field would take.
    {std::string(" 1 213 1") + "IGNORED 9-20" + "  123" + "00007" + "    7" + "-9999" + "99999" +
         "     " + "-    " + "1 2 3" + "+ 123" + "  -12" + "-12  " + "   45",
     {1, 2, 13},
     1,
     {123, 7, 7, -9999, 99999, 0, 0, 123, 123, -12, -12, 45}},
    {"05 5 5 2A.,\t-+ =\x1a\r_Z" + counting_values(1),
     {5, 5, 5},
     2,
     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
    // A line that ends before column 21: every value is 0.
    {" 1 213 1XXXXXXXXXXX", {1, 2, 13}, 1, {}},
    {"01020302", {1, 2, 3}, 2, {}},
    // Negative dates; a minus sign alone is 0.
    {"-1- -9 2" + kBlank12 + counting_values(1),
     {-1, 0, -9},
     2,
     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
    // A comma in a date field shifts the later date fields; the values still start at column 21.
    {"1,2,131 " + kBlank12 + counting_values(1),
     {1, 2, 13},
     1,
     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
    // 12,34 in columns 21-25: every later value field starts two columns to the left.
    {" 1 213 1" + kBlank12 + "12,34    5    6    7    8    9   10   11   12   13   14   15",
     {1, 2, 13},
     1,
     {12, 34, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}},
};

TEST(DecodeCard, GoodCards) {
  for (const GoodCard& row : kGoodCards) {
    for (int card = 0; card < 2; ++card) {
      SCOPED_TRACE(testing::Message() << "card " << card << ": \"" << row.image << "\"");
      run::CardPair pair;
      fill_values(pair, kUntouched);
      set_image(pair, card, row.image);
      run::decode_card(pair, card);
      EXPECT_EQ(pair.date[card].month, row.date.month);
      EXPECT_EQ(pair.date[card].day, row.date.day);
      EXPECT_EQ(pair.date[card].year, row.date.year);
      EXPECT_EQ(pair.indicator[card], row.indicator);
      // The card's twelve values go into its indicator's row, at its own hours; the other
      // 36 elements keep what they held.
      for (int row_index = 0; row_index < 2; ++row_index) {
        for (int column = 0; column < 24; ++column) {
          bool written = row_index == row.indicator - 1 && column / 12 == card;
          std::int64_t expected = written ? row.values[column % 12] : kUntouched;
          EXPECT_EQ(pair.values[row_index][column], expected)
              << "value table row " << row_index + 1 << ", hour " << column + 1;
        }
      }
    }
  }
}

// Whatever the two indicators, the first card's values are hours 1 to 12 and the second
// card's hours 13 to 24.
TEST(DecodeCard, PairReportedInCardOrder) {
  const std::int32_t kIndicators[][2] = {{1, 2}, {2, 1}, {1, 1}, {2, 2}};
  for (const auto& indicators : kIndicators) {
    SCOPED_TRACE(testing::Message() << "indicators " << indicators[0] << ", " << indicators[1]);
    run::CardPair pair;
    fill_values(pair, kUntouched);
    set_image(pair, 0, " 1 213 " + std::to_string(indicators[0]) + kBlank12 + counting_values(1));
    set_image(pair, 1, " 1 313 " + std::to_string(indicators[1]) + kBlank12 + counting_values(13));
    run::decode_card(pair, 0);
    run::decode_card(pair, 1);
    EXPECT_EQ(pair.date[0].day, 2);
    EXPECT_EQ(pair.date[1].day, 3);
    for (int hour = 1; hour <= 24; ++hour) {
      EXPECT_EQ(pair.value(hour), hour) << "hour " << hour;
      int row = indicators[hour <= 12 ? 0 : 1] - 1;
      EXPECT_EQ(pair.values[1 - row][hour - 1], kUntouched) << "hour " << hour;
    }
  }
}

struct BadCard {
  std::string image;
  int card;
  std::string traceback;  // the traceback entry after the diagnostic line
};

const std::string kCardValues = counting_values(1);

const BadCard kBadCards[] = {
    // A bad character in columns 1-8.
    {"1. 213 1" + kBlank12 + kCardValues, 0,
     "card decode: line 7 of /dev/null, columns 1-2 (month) hold \"1.\", not a whole number"},
    {" 1 E13 1" + kBlank12 + kCardValues, 1,
     "card decode: line 8 of /dev/null, columns 3-4 (day) hold \" E\", not a whole number"},
    {" 1 2\t3 1" + kBlank12 + kCardValues, 0,
     "card decode: line 7 of /dev/null, columns 5-6 (year) hold \"\\t3\", not a whole number"},
    {" 1 2131-" + kBlank12 + kCardValues, 0,
     "card decode: line 7 of /dev/null, columns 7-8 (half-day indicator) hold \"1-\", not a whole "
     "number"},
    // A bad character in columns 21-80.
    {" 1 213 1" + kBlank12 + "12.5 " + kCardValues.substr(5), 0,
     "card decode: line 7 of /dev/null, columns 21-25 (hourly value 1, hour 1) hold \"12.5 \", not "
     "a whole number"},
    {" 1 213 1" + kBlank12 + kCardValues.substr(0, 10) + "1-2  " + kCardValues.substr(15), 0,
     "card decode: line 7 of /dev/null, columns 31-35 (hourly value 3, hour 3) hold \"1-2  \", not "
     "a whole number"},
    {" 1 213 2" + kBlank12 + kCardValues.substr(0, 55) + "1E3  ", 1,
     "card decode: line 8 of /dev/null, columns 76-80 (hourly value 12, hour 24) hold \"1E3  \", "
     "not a whole number"},
    {" 1 213 2" + kBlank12 + "    1  \xe9  " + kCardValues.substr(10), 1,
     "card decode: line 8 of /dev/null, columns 26-30 (hourly value 2, hour 14) hold \"  \\xE9  "
     "\", "
     "not a whole number"},
    // A half-day indicator outside 1 and 2, a blank one included.
    {" 1 213  " + kBlank12 + kCardValues, 0,
     "card decode: line 7 of /dev/null, columns 7-8 (half-day indicator) hold 0, not 1 or 2"},
    {" 1 213 3" + kBlank12 + kCardValues, 1,
     "card decode: line 8 of /dev/null, columns 7-8 (half-day indicator) hold 3, not 1 or 2"},
    {" 1 213-1" + kBlank12 + kCardValues, 0,
     "card decode: line 7 of /dev/null, columns 7-8 (half-day indicator) hold -1, not 1 or 2"},
};

class DecodeCardDeathTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(DecodeCardDeathTest, BadCardEndsTheRun) {
  for (const BadCard& row : kBadCards) {
    SCOPED_TRACE(testing::Message() << "card " << row.card << ": \"" << row.image << "\"");
    run::CardPair pair;
    pair.line[0] = 7;
    pair.line[1] = 8;
    set_image(pair, row.card, row.image);
    std::string expected =
        "eei2csv: severe (64): input conversion error, unit -5, file Internal Formatted Read\n"
        "eei2csv: in " +
        row.traceback + "\n";
    EXPECT_EXIT(
        {
          // Unit 1 open, so that the traceback names its file.
          io::read_open(io::kEeiUnit, "/dev/null");
          run::decode_card(pair, row.card);
        },
        testing::ExitedWithCode(64), testing::Eq(expected));
  }
}

// What a card that fails has left in the value table: the values decoded before the bad
// field, and for a bad half-day indicator none at all. The pair lives in memory shared with
// the child that decodes it.
TEST(DecodeCard, FailedCardKeepsOnlyTheValuesBeforeIt) {
  struct Case {
    std::string image;
    int card;
    std::vector<int> stored_hours;  // hours of the indicator-1 row that hold new values
  };
  const Case kCases[] = {
      {" 1 213 3" + kBlank12 + kCardValues, 0, {}},
      {" 1 213  " + kBlank12 + kCardValues, 1, {}},
      {" 1 213 1" + kBlank12 + kCardValues.substr(0, 10) + "1-2  " + kCardValues.substr(15),
       0,
       {1, 2}},
      {" 1 213 1" + kBlank12 + kCardValues.substr(0, 55) + "1E3  ",
       1,
       {13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}},
  };
  void* shared = ::mmap(nullptr, sizeof(run::CardPair), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(shared, MAP_FAILED);
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "card " << c.card << ": \"" << c.image << "\"");
    run::CardPair* pair = new (shared) run::CardPair();
    fill_values(*pair, kUntouched);
    set_image(*pair, c.card, c.image);
    run_tests::ForkedEnd end = run_tests::run_forked([&] { run::decode_card(*pair, c.card); });
    EXPECT_EQ(end.exit_code, 64) << end.err;
    EXPECT_EQ(pair->date[c.card].month, 1);
    for (int row = 0; row < 2; ++row) {
      for (int hour = 1; hour <= 24; ++hour) {
        bool stored = row == 0 && std::find(c.stored_hours.begin(), c.stored_hours.end(), hour) !=
                                      c.stored_hours.end();
        EXPECT_EQ(pair->values[row][hour - 1], stored ? (hour - 1) % 12 + 1 : kUntouched)
            << "value table row " << row + 1 << ", hour " << hour;
      }
    }
  }
  ::munmap(shared, sizeof(run::CardPair));
}

}  // namespace
