// KEYVAL: where the value and keyword tokens of a name entry lie, and which letters it
// upper-cases in the name buffer.
#include "files/keyval.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

// A name buffer holding `text`, blank-padded to 100 characters.
std::string padded(const std::string& text) {
  std::string buffer = text.substr(0, files::kNameBufferLength);
  buffer.resize(files::kNameBufferLength, ' ');
  return buffer;
}

struct Scan {
  std::string entry;
  std::int32_t scan_end;
  std::int32_t value_start, value_end, keyword_start, keyword_end;
  std::string after;  // the buffer after the call; empty: unchanged
};

const std::string k100(100, 'x');

const Scan kScans[] = {
    // Bare values.
    {"cards.txt", 100, 1, 9, 0, 0, ""},
    {"   cards.txt old", 100, 4, 12, 0, 0, ""},
    {"", 100, 0, 0, 0, 0, ""},
    {k100, 100, 1, 100, 0, 0, ""},
    // keyword=value: the letters before the first equals sign are upper-cased, the value
    // keeps its case.
    {"eei=cards.txt", 100, 5, 13, 1, 3, "EEI=cards.txt"},
    {"in file = Cards.txt", 100, 11, 19, 4, 7, "IN FILE = Cards.txt"},
    {"in file=x", 100, 9, 9, 4, 7, "IN FILE=x"},
    {"a=b=c", 100, 3, 5, 1, 1, "A=b=c"},
    {"k = a=b c", 100, 5, 7, 1, 1, "K = a=b c"},
    {"out=", 100, 0, 0, 1, 3, "OUT="},
    {"`az{@AZ[09_=v", 100, 13, 13, 1, 11, "`AZ{@AZ[09_=v"},
    // No keyword before an equals sign in position 1 or after blanks only.
    {"=cards.txt", 100, 2, 10, 0, 0, ""},
    {"  = x", 100, 5, 5, 0, 0, ""},
    {"   =x", 100, 5, 5, 0, 0, ""},
    // A tab is not a blank: it belongs to the keyword token.
    {"key\t=v", 100, 6, 6, 1, 4, "KEY\t=v"},
    {"\tk=v", 100, 4, 4, 1, 2, "\tK=v"},
    // Characters with codes 128 to 255 are left alone.
    {"\xe9t\xc3\xa9=\xe9t", 100, 6, 7, 1, 4, "\xe9T\xc3\xa9=\xe9t"},
    // The scan end: nothing is examined after it.
    {"eei=cards.txt", 0, 0, 0, 0, 0, ""},
    {"eei=cards.txt", -1, 0, 0, 0, 0, ""},
    {"eei=cards.txt", 8, 5, 8, 1, 3, "EEI=cards.txt"},
    {"abcdefgh=xyz", 5, 1, 5, 0, 0, ""},
    {"abc=", 4, 0, 0, 1, 3, "ABC="},
    {"abc=def", 4, 0, 0, 1, 3, "ABC=def"},
    {"a b", 1, 1, 1, 0, 0, ""},
    // A scan end above 100 is taken as 100.
    {k100, 150, 1, 100, 0, 0, ""},
    {std::string(99, 'y') + "=", 1000, 0, 0, 1, 99, std::string(99, 'Y') + "="},
};

TEST(KEYVAL, Table) {
  for (const Scan& row : kScans) {
    SCOPED_TRACE(testing::Message() << "entry \"" << row.entry << "\", scan end " << row.scan_end);
    std::string before = padded(row.entry);
    char buffer[files::kNameBufferLength];
    std::copy(before.begin(), before.end(), buffer);
    std::int32_t value_start = -1, value_end = -1, keyword_start = -1, keyword_end = -1;
    files::KEYVAL(buffer, row.scan_end, value_start, value_end, keyword_start, keyword_end);
    EXPECT_EQ(value_start, row.value_start);
    EXPECT_EQ(value_end, row.value_end);
    EXPECT_EQ(keyword_start, row.keyword_start);
    EXPECT_EQ(keyword_end, row.keyword_end);
    std::string after(buffer, files::kNameBufferLength);
    EXPECT_EQ(after, row.after.empty() ? before : padded(row.after));
  }
}

}  // namespace
