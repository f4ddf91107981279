// The fatal diagnostic and the normal stop: the lines on standard error, the traceback of
// active routines, and the exit status.
#include "io/termination.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "io/messages.h"

namespace {

class TerminationDeathTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// With a system error: its text first, then the diagnostic line, then the traceback,
// innermost first.
TEST_F(TerminationDeathTest, FatalWithSystemError) {
  std::string expected = std::string("eei2csv: ") + std::strerror(EIO) +
                         "\n"
                         "eei2csv: severe (38): error during write, unit 3, file /abs/report.csv\n"
                         "eei2csv: in file line output\n"
                         "eei2csv: in PUTDAY\n"
                         "eei2csv: in EEI2CSV\n";
  EXPECT_EXIT(
      {
        io::Routine outer("EEI2CSV");
        { io::Routine finished("PUTHDR"); }
        io::Routine inner("PUTDAY");
        io::fatal({io::diagnostic::kWriteError, 3, "/abs/report.csv", EIO, "file line output"});
      },
      testing::ExitedWithCode(38), testing::Eq(expected));
}

// Without a system error and without routines: the diagnostic line alone.
TEST_F(TerminationDeathTest, FatalWithoutSystemError) {
  EXPECT_EXIT(io::fatal({io::diagnostic::kFileNotFound, 1, "/abs/cards.eei"}),
              testing::ExitedWithCode(29),
              testing::Eq("eei2csv: severe (29): file not found, unit 1, file /abs/cards.eei\n"));
}

// Every diagnostic the run can end with: its line, and the low 8 bits of 0xC0000000 plus
// its number as the exit status.
TEST_F(TerminationDeathTest, DiagnosticLines) {
  struct Line {
    int number;
    int unit;
    const char* file;
    const char* line;
  };
  const Line kLines[] = {
      {9, 1, "/a", "eei2csv: severe (9): permission to access file denied, unit 1, file /a"},
      {22, 5, "CONIN$", "eei2csv: severe (22): input record too long, unit 5, file CONIN$"},
      {24, 5, "CONIN$", "eei2csv: severe (24): end-of-file during read, unit 5, file CONIN$"},
      {29, 3, "/r", "eei2csv: severe (29): file not found, unit 3, file /r"},
      {30, 3, "/r", "eei2csv: severe (30): open failure, unit 3, file /r"},
      {38, 6, "CONOUT$", "eei2csv: severe (38): error during write, unit 6, file CONOUT$"},
      {39, 1, "/a", "eei2csv: severe (39): error during read, unit 1, file /a"},
      {42, 1, "/a", "eei2csv: severe (42): no such device, unit 1, file /a"},
      {43, 3, "/r", "eei2csv: severe (43): file name specification error, unit 3, file /r"},
      {64, -5, "Internal Formatted Read",
       "eei2csv: severe (64): input conversion error, unit -5, file Internal Formatted Read"},
      {66, 3, "/r", "eei2csv: severe (66): output statement overflows record, unit 3, file /r"},
  };
  for (const Line& row : kLines) {
    SCOPED_TRACE(row.line);
    EXPECT_EXIT(io::fatal({row.number, row.unit, row.file}),
                testing::ExitedWithCode(row.number & 0xFF),
                testing::Eq(std::string(row.line) + "\n"));
  }
}

TEST_F(TerminationDeathTest, NormalStopWritesNothing) {
  EXPECT_EXIT(
      {
        io::Routine routine("EEI2CSV");
        io::normal_stop();
      },
      testing::ExitedWithCode(0), testing::Eq(""));
}

}  // namespace
