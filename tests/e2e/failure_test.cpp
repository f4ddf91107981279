// Runs that end with a diagnostic: files that cannot be opened or written, and a console
// output that cannot be written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "e2e/e2e_support.h"

namespace e2e {
namespace {

using testing_support::ChildOptions;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

const std::vector<Card> kPair = {
    {7, 4, 13, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
    {7, 4, 13, 2, {13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}},
};

// The dialogue up to the report echo line: both names given, nothing converted yet.
std::string dialogue(const std::string& eei, const std::string& report_name) {
  return banner_and_eei_prompt() + eei_echo(eei) + report_prompt() + report_echo(report_name);
}

TEST(E2eFailure, MissingEeiFileEndsBeforeTheReportPrompt) {
  for (const char* name : {"missing.eei", "no-such-folder/cards.eei"}) {
    SCOPED_TRACE(name);
    TempDir dir;
    auto r = run_tool(dir, std::string(name) + "\n\n");

    EXPECT_EQ(r.out, banner_and_eei_prompt() + eei_echo(name));
    expect_diagnostic(
        r.err, {"eei2csv: severe (29): file not found, unit 1, file " + shown_name(dir, name)});
    EXPECT_EQ(r.exit_code(), 29);
    EXPECT_TRUE(files_in(dir).empty());
  }
}

TEST(E2eFailure, ReportNamingTheEeiFileIsRefused) {
  // The EEI file by its own name, and by a second link to it.
  for (const char* report_name : {"cards.eei", "link.eei"}) {
    SCOPED_TRACE(report_name);
    TempDir dir;
    const std::string eei = eei_file(kPair);
    write_file(dir.file("cards.eei"), eei);
    ASSERT_EQ(::link(dir.file("cards.eei").c_str(), dir.file("link.eei").c_str()), 0);
    auto r = run_tool(dir, std::string("cards.eei\n") + report_name + "\n");

    EXPECT_EQ(r.out, dialogue("cards.eei", report_name));
    expect_diagnostic(r.err, {"eei2csv: Resource temporarily unavailable",
                              "eei2csv: severe (30): open failure, unit 3, file " +
                                  shown_name(dir, report_name)});
    EXPECT_EQ(r.exit_code(), 30);
    EXPECT_EQ(read_file(dir.file("cards.eei")), eei);
  }
}

TEST(E2eFailure, ReportInAMissingFolder) {
  TempDir dir;
  const std::string eei = eei_file(kPair);
  write_file(dir.file("cards.eei"), eei);
  auto r = run_tool(dir, "cards.eei\nno-such-folder/r.csv\n");

  EXPECT_EQ(r.out, dialogue("cards.eei", "no-such-folder/r.csv"));
  expect_diagnostic(r.err, {"eei2csv: severe (29): file not found, unit 3, file " +
                            shown_name(dir, "no-such-folder/r.csv")});
  EXPECT_EQ(r.exit_code(), 29);
  EXPECT_EQ(files_in(dir), std::vector<std::string>{"cards.eei"});
  EXPECT_EQ(read_file(dir.file("cards.eei")), eei);
}

TEST(E2eFailure, ReportWriteFailsAtTheHeader) {
  TempDir dir;
  write_file(dir.file("cards.eei"), eei_file(kPair));
  auto r = run_tool(dir, "cards.eei\n/dev/full\n");

  EXPECT_EQ(r.out, dialogue("cards.eei", "/dev/full"));
  expect_diagnostic(
      r.err, {"eei2csv: No space left on device",
              "eei2csv: severe (38): error during write, unit 3, file " + shown_path("/dev/full")});
  EXPECT_EQ(r.exit_code(), 38);
}

TEST(E2eFailure, ConsoleOutputThatCannotBeWritten) {
  struct Row {
    const char* what;
    bool closed;  // descriptor 1 not open; otherwise a pipe that nobody reads
    const char* system_text;
  };
  const Row kRows[] = {
      {"standard output not open", true, "eei2csv: Bad file descriptor"},
      {"standard output a pipe without reader", false, "eei2csv: Broken pipe"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.what);
    TempDir dir;
    write_file(dir.file("cards.eei"), eei_file(kPair));
    ChildOptions options;
    options.close_stdout = row.closed;
    options.stdout_unread = !row.closed;
    auto r = run_tool(dir, "cards.eei\nr.csv\n", options);

    expect_diagnostic(
        r.err, {row.system_text, "eei2csv: severe (38): error during write, unit 6, file CONOUT$"});
    EXPECT_TRUE(r.exited()) << "ended by signal " << r.signal();
    EXPECT_EQ(r.exit_code(), 38);
    // The banner is the first write: no file was opened.
    EXPECT_EQ(files_in(dir), std::vector<std::string>{"cards.eei"});
  }
}

}  // namespace
}  // namespace e2e
