// Numeric fields of a card image: what each field text decodes to, where the next field
// starts, and which texts make the card fail.
#include "run/numeric_field.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

constexpr int kStart = 20;  // the fields are placed at column 21, where the hourly values begin

// An 80-column card image holding `field` from column 21, blanks elsewhere.
std::string card_with(const std::string& field) {
  std::string card(80, ' ');
  card.replace(kStart, field.size(), field);
  return card;
}

struct Decoded {
  const char* field;
  int width;
  std::int64_t value;
  int advance;  // columns the current position moves on by
};

const Decoded kDecoded[] = {
    // Blanks are passed over wherever they stand; leading zeros and a plus sign leave no trace.
    {"  123", 5, 123, 5},
    {"00123", 5, 123, 5},
    {"123  ", 5, 123, 5},
    {"1 2 3", 5, 123, 5},
    {"+ 123", 5, 123, 5},
    {"+123 ", 5, 123, 5},
    {"12   ", 5, 12, 5},
    {"    7", 5, 7, 5},
    {"00007", 5, 7, 5},
    // Blank fields and a sign alone are 0.
    {"     ", 5, 0, 5},
    {"-    ", 5, 0, 5},
    {"+    ", 5, 0, 5},
    {"   -0", 5, 0, 5},
    // Negative values.
    {"-12  ", 5, -12, 5},
    {"- 12 ", 5, -12, 5},
    {"  -12", 5, -12, 5},
    // The ends of the range of five columns.
    {"99999", 5, 99999, 5},
    {"-9999", 5, -9999, 5},
    // A comma ends the field text; the position moves past the comma.
    {"12,34", 5, 12, 3},
    {",1234", 5, 0, 1},
    {"1234,", 5, 1234, 5},
    {"-,123", 5, 0, 2},
    {"12345,", 5, 12345, 5},  // a comma after the field's columns is not the field's
    // Width 2: the date fields and the half-day indicator.
    {"  ", 2, 0, 2},
    {" 1", 2, 1, 2},
    {"1 ", 2, 1, 2},
    {"01", 2, 1, 2},
    {"05", 2, 5, 2},
    {"99", 2, 99, 2},
    {"-9", 2, -9, 2},
    {"-1", 2, -1, 2},
    {"- ", 2, 0, 2},
    {"+5", 2, 5, 2},
    {",5", 2, 0, 1},
    {"5,", 2, 5, 2},
};

TEST(DecodeField, Values) {
  for (const Decoded& row : kDecoded) {
    SCOPED_TRACE(testing::Message() << "field \"" << row.field << "\", width " << row.width);
    std::string card = card_with(row.field);
    int position = kStart;
    std::int64_t value = -777;
    bool ok = false;
    run::FieldText text{};
    run::decode_field(card.c_str(), position, row.width, value, ok, text);
    ASSERT_TRUE(ok);
    EXPECT_EQ(value, row.value);
    EXPECT_EQ(position, kStart + row.advance);
    EXPECT_EQ(text.first_column, kStart + 1);
  }
}

// 12,34 in columns 21-25: the first value is 12 and every later field starts two columns to
// the left of its place, the second one at the digit 3.
TEST(DecodeField, CommaShiftsTheFollowingFields) {
  std::string card = card_with("12,34    56   78");
  int position = kStart;
  std::int64_t values[3] = {};
  int starts[3] = {};
  for (int k = 0; k < 3; ++k) {
    bool ok = false;
    run::FieldText text{};
    run::decode_field(card.c_str(), position, 5, values[k], ok, text);
    ASSERT_TRUE(ok) << "field " << k + 1;
    starts[k] = text.first_column;
  }
  // In their places by the layout (columns 26-30 and 31-35) the fields would read 5 and 67.
  EXPECT_EQ(values[0], 12);
  EXPECT_EQ(values[1], 34);  // columns 24-28
  EXPECT_EQ(starts[1], 24);
  EXPECT_EQ(values[2], 56);  // columns 29-33
  EXPECT_EQ(starts[2], 29);
  EXPECT_EQ(position, 33);
}

struct Rejected {
  const char* field;
  int width;
  int length;  // characters of the field text the failure shows
};

const Rejected kRejected[] = {
    // Width 5: a decimal point, a letter, a sign after a digit, a tab, an underscore.
    {"12.5 ", 5, 5},
    {"1E3  ", 5, 5},
    {"1-2  ", 5, 5},
    {"  12-", 5, 5},
    {"1\t2  ", 5, 5},
    {"\t123 ", 5, 5},
    {"1_2  ", 5, 5},
    // A second sign.
    {"+-12 ", 5, 5},
    {"--12 ", 5, 5},
    {"- -1 ", 5, 5},
    {"12 +3", 5, 5},
    // A comma shortens the field but does not excuse what stands before it.
    {"1.,34", 5, 2},
    // Width 2.
    {"1.", 2, 2},
    {"E1", 2, 2},
    {"1-", 2, 2},
    {"\t1", 2, 2},
    {"_1", 2, 2},
    {"+-", 2, 2},
    {"-+", 2, 2},
    {"a ", 2, 2},
};

TEST(DecodeField, RejectedTexts) {
  for (const Rejected& row : kRejected) {
    SCOPED_TRACE(testing::Message() << "field \"" << row.field << "\", width " << row.width);
    std::string card = card_with(row.field);
    int position = kStart;
    std::int64_t value = 0;
    bool ok = true;
    run::FieldText text{};
    run::decode_field(card.c_str(), position, row.width, value, ok, text);
    EXPECT_FALSE(ok);
    EXPECT_EQ(text.first_column, kStart + 1);
    EXPECT_EQ(text.length, row.length);
  }
}

}  // namespace
