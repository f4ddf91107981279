// The name a file connection opens and shows: trimmed, then made absolute against the
// working directory unless the absolute form is 256 characters or more.
#include "io/file_name.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using namespace std::string_literals;

std::string cwd() {
  return std::filesystem::current_path().string();
}

struct Named {
  std::string handed;
  std::string name;  // "@" at the start stands for the working directory
  bool holds_nul;
};

const Named kNames[] = {
    // Leading blanks, and trailing blanks and NULs, are trimmed.
    {"cards.txt", "@/cards.txt", false},
    {"   cards.txt   ", "@/cards.txt", false},
    {"cards.txt\0\0 \0 "s, "@/cards.txt", false},
    {"my cards.txt", "@/my cards.txt", false},
    {"Cards.TXT", "@/Cards.TXT", false},
    // "." segments and repeated slashes go; ".." stays as typed.
    {"./a/./b", "@/a/b", false},
    {"a//b///c", "@/a/b/c", false},
    {"../x/../y", "@/../x/../y", false},
    {"/abs//path/./f.csv", "/abs/path/f.csv", false},
    {"  /abs/f.csv", "/abs/f.csv", false},
    {"/", "/", false},
    // A name that ends in a slash keeps it: it still designates a folder.
    {"dir/", "@/dir/", false},
    {"/abs/dir/", "/abs/dir/", false},
    // Nothing left after trimming.
    {"", "", false},
    {"     ", "", false},
    {"\0\0"s, "", false},
    // A NUL inside the name.
    {"a\0b"s, "@/a", true},
    {" \0a "s, "@/", true},
};

std::string expand(const std::string& name) {
  return !name.empty() && name[0] == '@' ? cwd() + name.substr(1) : name;
}

TEST(ConnectionName, Table) {
  for (const Named& row : kNames) {
    SCOPED_TRACE(testing::Message() << "handed \"" << row.handed << "\"");
    char name[io::kFileNameCapacity + 1];
    bool holds_nul = !row.holds_nul;
    io::connection_name(row.handed, name, holds_nul);
    EXPECT_EQ(holds_nul, row.holds_nul);
    EXPECT_EQ(std::string(name), expand(row.name));
  }
}

// The absolute form is used while it is shorter than 256 characters; from 256 on, the
// trimmed name as handed. Only the first 256 characters handed are taken.
TEST(ConnectionName, LengthLimits) {
  const std::size_t prefix = cwd().size() + 1;  // the working directory and "/"
  ASSERT_LT(prefix, 200u) << "the working directory is too long for this test";
  struct Long {
    const char* what;
    std::string handed;
    std::string name;
  };
  const std::string fits(255 - prefix, 'f');
  const std::string too_long(256 - prefix, 'g');
  const Long kLong[] = {
      {"absolute form of 255", fits, cwd() + "/" + fits},
      {"absolute form of 256", too_long, too_long},
      {"dot segments dropped before the length counts",
       [&] {
         std::string dots;
         while (dots.size() + 2 + fits.size() <= 256) dots += "./";
         return dots + fits;
       }(),
       cwd() + "/" + fits},
      {"300 characters handed", std::string(300, 'h'), std::string(256, 'h')},
      {"blanks before 300 characters", "   " + std::string(297, 'h'), std::string(253, 'h')},
      {"trailing blanks past 256", "cards.txt" + std::string(300, ' '), cwd() + "/cards.txt"},
      {"an absolute name of 256", "/" + std::string(255, 'a'), "/" + std::string(255, 'a')},
      {"an absolute name that shortens to 255", "//" + std::string(254, 'a'),
       "/" + std::string(254, 'a')},
  };
  for (const Long& row : kLong) {
    SCOPED_TRACE(row.what);
    char name[io::kFileNameCapacity + 1];
    bool holds_nul = true;
    io::connection_name(row.handed, name, holds_nul);
    EXPECT_FALSE(holds_nul);
    EXPECT_EQ(std::string(name), row.name);
  }
}

}  // namespace
