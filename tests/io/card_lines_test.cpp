// Splitting a text file into 80-column card images: line ends, the Ctrl-Z end-of-file line,
// long lines, lines across the read blocks, and a very long line in bounded memory.
#include "io/card_lines.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "support/child.h"

namespace {

using testing_support::TempDir;
using testing_support::write_file;

const std::string kUnread(io::kCardColumns, '#');

// An 80-column card image: `text` cut or blank-padded to 80 characters.
std::string card(const std::string& text) {
  std::string c = text.substr(0, io::kCardColumns);
  c.resize(io::kCardColumns, ' ');
  return c;
}

// Every card image of the descriptor until the end of the file. At the end (and at every
// call after it) the card must be left as it was.
std::vector<std::string> read_cards(int fd) {
  io::CardLines lines(fd, "cards.eei", 1);
  std::vector<std::string> cards;
  char image[io::kCardColumns];
  for (;;) {
    std::fill(std::begin(image), std::end(image), '#');
    bool end_of_file = false;
    lines.next(image, end_of_file);
    if (end_of_file) break;
    cards.emplace_back(image, io::kCardColumns);
  }
  EXPECT_EQ(std::string(image, io::kCardColumns), kUnread) << "card changed at the end";
  bool end_of_file = false;
  lines.next(image, end_of_file);
  EXPECT_TRUE(end_of_file) << "a line read after the end of the file";
  EXPECT_EQ(std::string(image, io::kCardColumns), kUnread) << "card changed after the end";
  return cards;
}

std::vector<std::string> cards_of_file(const std::string& bytes) {
  TempDir dir;
  std::string path = dir.file("cards.eei");
  write_file(path, bytes);
  int fd = ::open(path.c_str(), O_RDONLY);
  EXPECT_GE(fd, 0);
  std::vector<std::string> cards = read_cards(fd);
  ::close(fd);
  return cards;
}

// `n` characters that show which part of a line a card took: 0123456789 repeated.
std::string digits(std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += static_cast<char>('0' + i % 10);
  return s;
}

struct Split {
  const char* what;
  std::string bytes;
  std::vector<std::string> lines;  // the card images, before padding to 80
};

const Split kSplits[] = {
    // Line ends.
    {"CR LF", "A\r\nB\r\n", {"A", "B"}},
    {"LF", "A\nB\n", {"A", "B"}},
    {"mixed", "A\r\nB\nC\r\n", {"A", "B", "C"}},
    {"no LF after the last line", "A\nB", {"A", "B"}},
    {"last line ending in a lone CR", "A\nB\r", {"A", "B"}},
    {"only CR before the LF is dropped", "A\r\r\nB\r \n", {"A\r", "B\r "}},
    {"CR in the middle", "A\rB\n", {"A\rB"}},
    {"lines separated by CR alone", "A\rB\rC", {"A\rB\rC"}},
    {"empty file", "", {}},
    {"empty lines", "\n\r\n\n", {"", "", ""}},
    {"a CR alone", "\r", {""}},
    // The Ctrl-Z line ends the file; elsewhere Ctrl-Z is an ordinary character.
    {"Ctrl-Z line", "A\n\x1a\nB\n", {"A"}},
    {"Ctrl-Z line with CR LF", "A\r\n\x1a\r\nB\r\n", {"A"}},
    {"Ctrl-Z line last without LF", "A\n\x1a", {"A"}},
    {"Ctrl-Z line first", "\x1a\nA\n", {}},
    {"Ctrl-Z among other characters",
     "\x1a\x1a\n\x1a"
     "A\nA\x1a\n \x1a\n\x1a\r\r\n",
     {"\x1a\x1a",
      "\x1a"
      "A",
      "A\x1a", " \x1a", "\x1a\r"}},
    // Line lengths: a card holds the first 80 characters; the rest is passed over.
    {"79 characters", digits(79) + "\n", {digits(79)}},
    {"80 characters", digits(80) + "\r\n", {digits(80)}},
    {"100 characters, then a short line", digits(100) + "\nB\n", {digits(80), "B"}},
    {"CR LF after 81 characters", digits(81) + "\r\nB\n", {digits(80), "B"}},
    {"20000 characters, then a short line", digits(20000) + "\r\nB\r\n", {digits(80), "B"}},
    {"8192 characters without LF", digits(8192), {digits(80)}},
    {"8192 characters, then a short line", digits(8192) + "\nB", {digits(80), "B"}},
    {"bytes taken as they are",
     std::string("\0\t\xff,\"", 5) + "\n",
     {std::string("\0\t\xff,\"", 5)}},
};

TEST(CardLines, Table) {
  for (const Split& row : kSplits) {
    SCOPED_TRACE(row.what);
    std::vector<std::string> expected;
    for (const std::string& line : row.lines) expected.push_back(card(line));
    EXPECT_EQ(cards_of_file(row.bytes), expected);
  }
}

// Lines that straddle the end of the first 8192-byte block: the file begins with filler
// lines so that the tail's byte at `split` is the first byte of the second block.
TEST(CardLines, AcrossTheBlockBoundary) {
  struct Straddle {
    std::string tail;
    std::size_t split;
    std::vector<std::string> lines;
  };
  const Straddle kStraddles[] = {
      {"AB\r\nC\n", 1, {"AB", "C"}},
      {"AB\r\nC\n", 2, {"AB", "C"}},  // CR first in the second block
      {"AB\r\nC\n", 3, {"AB", "C"}},  // CR last in the first block, LF first in the second
      {"AB\r\nC\n", 4, {"AB", "C"}},  // LF last in the first block
      {"AB\r", 3, {"AB"}},            // the file ends at the block's end
      {"AB\r", 2, {"AB"}},
      {"\x1a\r\nC\n", 1, {}},
      {"\x1a\r\nC\n", 2, {}},
      {"\x1a\nC\n", 1, {}},
      {digits(100) + "\nC\n", 50, {digits(80), "C"}},
      {digits(100) + "\nC\n", 90, {digits(80), "C"}},
  };
  for (const Straddle& row : kStraddles) {
    SCOPED_TRACE(testing::Message() << "tail \"" << row.tail << "\" split at " << row.split);
    // Filler: lines of 79 characters and LF, the last one shorter.
    std::size_t filler = io::CardLines::kStoreSize - row.split;
    std::string bytes;
    std::vector<std::string> expected;
    while (bytes.size() < filler) {
      std::size_t length = std::min<std::size_t>(79, filler - bytes.size() - 1);
      bytes += std::string(length, 'f') + "\n";
      expected.push_back(card(std::string(length, 'f')));
    }
    ASSERT_EQ(bytes.size(), filler);
    bytes += row.tail;
    for (const std::string& line : row.lines) expected.push_back(card(line));
    EXPECT_EQ(cards_of_file(bytes), expected);
  }
}

TEST(CardLines, CountsTheLinesRead) {
  TempDir dir;
  std::string path = dir.file("cards.eei");
  write_file(path, "A\n" + digits(9000) + "\n\nB");
  int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  io::CardLines lines(fd, "cards.eei", 1);
  char image[io::kCardColumns];
  bool end_of_file = false;
  for (long n = 1; n <= 4; ++n) {
    lines.next(image, end_of_file);
    ASSERT_FALSE(end_of_file);
    EXPECT_EQ(lines.lines(), n);
  }
  ::close(fd);
}

long max_rss_kb() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// A line of 1 GiB without LF, through a pipe: the card holds its first 80 characters and
// the next call finds the end, without the line ever being held in memory.
TEST(CardLines, GigabyteLineInBoundedMemory) {
  constexpr std::size_t kChunk = 1 << 20;
  constexpr std::size_t kChunks = 1024;
  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  std::string chunk = digits(kChunk);  // 1048576 is a multiple of 10: chunks join seamlessly
  long rss_before = max_rss_kb();
  std::thread writer([&] {
    for (std::size_t i = 0; i < kChunks; ++i) {
      const char* p = chunk.data();
      std::size_t left = chunk.size();
      while (left > 0) {
        ssize_t n = ::write(pipe_ends[1], p, left);
        if (n <= 0) break;
        p += n;
        left -= static_cast<std::size_t>(n);
      }
    }
    ::close(pipe_ends[1]);
  });
  io::CardLines lines(pipe_ends[0], "pipe", 1);
  char image[io::kCardColumns];
  bool end_of_file = true;
  lines.next(image, end_of_file);
  EXPECT_FALSE(end_of_file);
  EXPECT_EQ(std::string(image, io::kCardColumns), digits(80));
  lines.next(image, end_of_file);
  EXPECT_TRUE(end_of_file);
  writer.join();
  ::close(pipe_ends[0]);
  EXPECT_LT(max_rss_kb() - rss_before, 8 * 1024) << "peak resident memory grew, in KiB";
}

}  // namespace
