// Every failure of an open, a transfer and a close, made by the fault seam of the platform
// layer: the tool runs as a child with one system call armed to fail, and the test checks
// the diagnostic lines, the status, the console output, the report and the EEI file.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <cctype>
#include <cerrno>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "faults/faults_support.h"
#include "faults/live_child.h"
#include "support/child.h"

namespace {

using faults::real_path;
using faults::report_prefix;
using testing_support::ChildOptions;
using testing_support::read_file;
using testing_support::run_child;
using testing_support::TempDir;
using testing_support::write_file;

constexpr std::string_view kTyped = "cards.eei\nreport.csv\n";
constexpr std::string_view kOldReport = "an older report\r\n";

// The name entries are read one byte per read, so the EEI file's first read comes after
// one read for each typed byte. 60 pairs need two 8192-byte blocks: the first holds 101
// whole card lines, so the second read comes while pair 51 is being read.
constexpr unsigned kFirstEeiRead = kTyped.size() + 1;
constexpr int kPairs = 60;
constexpr std::size_t kLinesBeforeSecondBlock = 1 + 50 * 24;

// Writes 1 to 5 are the console lines of the dialogue, then the report header, the report
// lines, and the completion line.
constexpr unsigned kHeaderWrite = 6;
constexpr std::size_t kFullReport = 1 + kPairs * 24;
constexpr unsigned kCompletionWrite = kHeaderWrite + kPairs * 24 + 1;

// What the report file holds after the run.
struct Report {
  enum Kind { absent, old, lines } kind;
  std::size_t count = 0;  // for `lines`: the first lines of the full report
};
constexpr Report kAbsent{Report::absent};
constexpr Report kOld{Report::old};  // an older report was there and is left as it was
constexpr Report Lines(std::size_t n) {
  return {Report::lines, n};
}

struct Row {
  std::string faults;                    // EEI2CSV_FAULT
  int status;                            // the exit status seen by the caller (low 8 bits)
  std::vector<std::string> diagnostics;  // standard error without its traceback lines
  std::size_t console_lines;             // lines of the dialogue on standard output
  Report report;
  int bad_pair = 0;  // 1-based pair whose first card does not decode; 0: none
};

void PrintTo(const Row& row, std::ostream* os) {
  *os << "EEI2CSV_FAULT=" << row.faults;
}

std::string fault(const char* call, unsigned nth, int error) {
  return std::string(call) + ":" + std::to_string(nth) + ":" + std::to_string(error);
}

// A system text line and a diagnostic line, as standard error shows them.
std::string text(const char* system_text) {
  return std::string("eei2csv: ") + system_text;
}
std::string severe(int number, const char* message) {
  return "eei2csv: severe (" + std::to_string(number) + "): " + message;
}

const char* const kFileNotFound1 = "file not found, unit 1, file {eei}";
const char* const kDenied1 = "permission to access file denied, unit 1, file {eei}";
const char* const kNoDevice1 = "no such device, unit 1, file {eei}";
const char* const kBadName1 = "file name specification error, unit 1, file {eei}";
const char* const kOpenFailure1 = "open failure, unit 1, file {eei}";
const char* const kFileNotFound3 = "file not found, unit 3, file {report}";
const char* const kDenied3 = "permission to access file denied, unit 3, file {report}";
const char* const kNoDevice3 = "no such device, unit 3, file {report}";
const char* const kBadName3 = "file name specification error, unit 3, file {report}";
const char* const kOpenFailure3 = "open failure, unit 3, file {report}";
const char* const kWrite3 = "error during write, unit 3, file {report}";
const char* const kWrite6 = "error during write, unit 6, file CONOUT$";
const char* const kRead1 = "error during read, unit 1, file {eei}";
const char* const kRead5 = "error during read, unit 5, file CONIN$";
const char* const kClose1 = "CLOSE error, unit 1, file {eei}";
const char* const kClose3 = "CLOSE error, unit 3, file {report}";
const char* const kBadCard = "input conversion error, unit -5, file Internal Formatted Read";

const Row kRows[] = {
    // Read open of unit 1: nothing is created, the dialogue stops after the echo line.
    {fault("open", 1, ENOENT), 29, {severe(29, kFileNotFound1)}, 3, kAbsent},
    {fault("open", 1, ENOTDIR), 29, {severe(29, kFileNotFound1)}, 3, kAbsent},
    {fault("open", 1, EACCES), 9, {severe(9, kDenied1)}, 3, kAbsent},
    {fault("open", 1, EPERM), 9, {severe(9, kDenied1)}, 3, kAbsent},
    {fault("open", 1, EROFS), 9, {severe(9, kDenied1)}, 3, kAbsent},
    {fault("open", 1, ENXIO), 42, {severe(42, kNoDevice1)}, 3, kAbsent},
    {fault("open", 1, ENODEV), 42, {severe(42, kNoDevice1)}, 3, kAbsent},
    {fault("open", 1, ENAMETOOLONG), 43, {severe(43, kBadName1)}, 3, kAbsent},
    {fault("open", 1, EMFILE), 30, {severe(30, kOpenFailure1)}, 3, kAbsent},
    {fault("open", 1, ENFILE), 30, {severe(30, kOpenFailure1)}, 3, kAbsent},
    {fault("open", 1, EIO),
     30,
     {text("Input/output error"), severe(30, kOpenFailure1)},
     3,
     kAbsent},
    {fault("open", 1, ETXTBSY),
     30,
     {text("Text file busy"), severe(30, kOpenFailure1)},
     3,
     kAbsent},
    {fault("fstat", 1, EIO),
     30,
     {text("Input/output error"), severe(30, kOpenFailure1)},
     3,
     kAbsent},
    {fault("flock", 1, EWOULDBLOCK),
     30,
     {text("Resource temporarily unavailable"), severe(30, kOpenFailure1)},
     3,
     kAbsent},

    // Replace open of unit 3: an older report is left whole, the dialogue stops after
    // the second echo line.
    {fault("open", 2, ENOENT), 29, {severe(29, kFileNotFound3)}, 5, kOld},
    {fault("open", 2, ENOTDIR), 29, {severe(29, kFileNotFound3)}, 5, kOld},
    {fault("open", 2, EACCES), 9, {severe(9, kDenied3)}, 5, kOld},
    {fault("open", 2, EPERM), 9, {severe(9, kDenied3)}, 5, kOld},
    {fault("open", 2, EROFS), 9, {severe(9, kDenied3)}, 5, kOld},
    {fault("open", 2, ENXIO), 42, {severe(42, kNoDevice3)}, 5, kOld},
    {fault("open", 2, ENODEV), 42, {severe(42, kNoDevice3)}, 5, kOld},
    {fault("open", 2, ENAMETOOLONG), 43, {severe(43, kBadName3)}, 5, kOld},
    {fault("open", 2, EMFILE), 30, {severe(30, kOpenFailure3)}, 5, kOld},
    {fault("open", 2, ENFILE), 30, {severe(30, kOpenFailure3)}, 5, kOld},
    {fault("open", 2, EIO), 30, {text("Input/output error"), severe(30, kOpenFailure3)}, 5, kOld},
    {fault("fstat", 2, EIO), 30, {text("Input/output error"), severe(30, kOpenFailure3)}, 5, kOld},
    {fault("flock", 2, EWOULDBLOCK),
     30,
     {text("Resource temporarily unavailable"), severe(30, kOpenFailure3)},
     5,
     kOld},
    // The report is held but cannot be cut to length 0: its old bytes are still there.
    {fault("ftruncate", 1, EIO), 38, {text("Input/output error"), severe(38, kWrite3)}, 5, kOld},

    // File line input on unit 1: at the first block, and at the second one.
    {fault("read", kFirstEeiRead, EIO),
     39,
     {text("Input/output error"), severe(39, kRead1)},
     5,
     Lines(1)},
    {fault("read", kFirstEeiRead + 1, EIO),
     39,
     {text("Input/output error"), severe(39, kRead1)},
     5,
     Lines(kLinesBeforeSecondBlock)},

    // Typed line input on unit 5: in the first name entry and at the start of the second.
    {fault("read", 1, EIO), 39, {text("Input/output error"), severe(39, kRead5)}, 2, kAbsent},
    {fault("read", 4, EIO), 39, {text("Input/output error"), severe(39, kRead5)}, 2, kAbsent},
    {fault("read", 11, EIO), 39, {text("Input/output error"), severe(39, kRead5)}, 4, kAbsent},

    // File line output on unit 3: the header, and a line in the first pair.
    {fault("write", kHeaderWrite, ENOSPC),
     38,
     {text("No space left on device"), severe(38, kWrite3)},
     5,
     Lines(0)},
    {fault("write", kHeaderWrite + 24, EFBIG),
     38,
     {text("File too large"), severe(38, kWrite3)},
     5,
     Lines(24)},

    // Console output on unit 6: the banner, the report prompt, the completion line.
    {fault("write", 1, EIO), 38, {text("Input/output error"), severe(38, kWrite6)}, 0, kAbsent},
    {fault("write", 4, EPIPE), 38, {text("Broken pipe"), severe(38, kWrite6)}, 3, kAbsent},
    {fault("write", kCompletionWrite, ENOSPC),
     38,
     {text("No space left on device"), severe(38, kWrite6)},
     5,
     Lines(kFullReport)},

    // Closing: the CLOSE error replaces status 0 of the normal stop...
    {fault("close", 1, EIO), 28, {severe(28, kClose1)}, 6, Lines(kFullReport)},
    {fault("close", 2, EIO), 28, {severe(28, kClose3)}, 6, Lines(kFullReport)},
    // ... and the status of a fatal end, after that end's own lines.
    {fault("close", 1, EIO),
     28,
     {severe(64, kBadCard), severe(28, kClose1)},
     5,
     Lines(1 + 2 * 24),
     3},
    {fault("write", kHeaderWrite + 24, ENOSPC) + "," + fault("close", 2, EBADF),
     28,
     {text("No space left on device"), severe(38, kWrite3), severe(28, kClose3)},
     5,
     Lines(24)},
};

std::string replace_all(std::string s, const std::string& from, const std::string& to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
    s.replace(at, from.size(), to);
  }
  return s;
}

std::string eei_with_bad_card(int bad_pair) {
  std::string eei = faults::eei_file(kPairs);
  if (bad_pair != 0) {
    // Column 25, in the first hourly value of the pair's first card.
    eei[static_cast<std::size_t>(bad_pair - 1) * 2 * faults::kCardLineBytes + 24] = 'X';
  }
  return eei;
}

class FaultInjection : public testing::TestWithParam<Row> {};

TEST_P(FaultInjection, EndsWithItsDiagnosticAndKeepsWhatWasWritten) {
  const Row& row = GetParam();
  TempDir dir;
  std::string folder = real_path(dir.path());
  std::string eei = eei_with_bad_card(row.bad_pair);
  write_file(dir.file("cards.eei"), eei);
  if (row.report.kind == Report::old) write_file(dir.file("report.csv"), std::string(kOldReport));

  ChildOptions options;
  options.cwd = dir.path();
  options.input = std::string(kTyped);
  options.env = {"EEI2CSV_FAULT=" + row.faults};
  auto result = run_child({EEI2CSV_FAULT_DRIVER}, options);

  std::vector<std::string> expected;
  for (const std::string& line : row.diagnostics) {
    expected.push_back(replace_all(replace_all(line, "{eei}", folder + "/cards.eei"), "{report}",
                                   folder + "/report.csv"));
  }
  faults::expect_diagnostics(result.err, expected);
  EXPECT_EQ(result.exit_code(), row.status);

  EXPECT_EQ(result.out, faults::dialogue("cards.eei", "report.csv", row.console_lines));

  std::string report_path = dir.file("report.csv");
  switch (row.report.kind) {
    case Report::absent:
      EXPECT_FALSE(testing_support::file_exists(report_path));
      break;
    case Report::old:
      EXPECT_EQ(read_file(report_path), kOldReport);
      break;
    case Report::lines:
      EXPECT_TRUE(testing_support::file_exists(report_path));
      EXPECT_EQ(read_file(report_path), report_prefix(kPairs, row.report.count));
      break;
  }
  EXPECT_EQ(read_file(dir.file("cards.eei")), eei);
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultInjection, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) {
                           std::string name = std::to_string(info.index) + "_";
                           for (char c : info.param.faults) {
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           }
                           return name;
                         });

// The seam itself counts from the start of the run: without a fault armed the driver runs
// the tool unchanged.
TEST(FaultDriver, RunsTheToolWhenNothingIsArmed) {
  TempDir dir;
  write_file(dir.file("cards.eei"), faults::eei_file(kPairs));
  ChildOptions options;
  options.cwd = dir.path();
  options.input = std::string(kTyped);
  auto result = run_child({EEI2CSV_FAULT_DRIVER}, options);
  EXPECT_EQ(result.exit_code(), 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(read_file(dir.file("report.csv")), report_prefix(kPairs, kFullReport));
}

}  // namespace

// The console interrupt closes unit 1 while the report prompt waits; a close that fails
// there adds the CLOSE error after the interrupt line, and its status replaces the
// interrupt's.
TEST(FaultDuringInterrupt, CloseErrorFollowsTheInterruptLine) {
  TempDir dir;
  std::string eei = faults::eei_file(1);
  write_file(dir.file("cards.eei"), eei);
  faults::LiveOptions options;
  options.cwd = dir.path();
  options.env = {"EEI2CSV_FAULT=" + fault("close", 1, EIO)};
  faults::LiveChild child({EEI2CSV_FAULT_DRIVER}, options);
  ASSERT_TRUE(child.wait_for_output("ENTER THE NAME OF THE EEI FILE")) << child.out();
  child.type("cards.eei\n");
  ASSERT_TRUE(child.wait_for_output("(DEFAULT=LOADHRS.CSV):\r\n")) << child.out();
  child.send(SIGQUIT);
  auto result = child.finish();
  std::vector<std::string> lines = faults::split_lines(result.err);
  ASSERT_GE(lines.size(), 3u) << result.err;
  EXPECT_EQ(lines[0], "eei2csv: error (200): program aborting due to control-BREAK event");
  EXPECT_EQ(lines[1],
            severe(28, "CLOSE error, unit 1, file ") + real_path(dir.path()) + "/cards.eei");
  for (std::size_t i = 2; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].rfind("eei2csv: in ", 0), 0u) << "not a traceback line: " << lines[i];
  }
  EXPECT_EQ(result.exit_code(), 28);
  EXPECT_FALSE(testing_support::file_exists(dir.file("LOADHRS.CSV")));
  EXPECT_EQ(read_file(dir.file("cards.eei")), eei);
}
