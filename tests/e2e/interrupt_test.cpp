// The console interrupt: control-C (SIGINT), control-BREAK (SIGQUIT) and window-CLOSE
// (SIGHUP), while a prompt waits and in the middle of a long conversion. First as signals
// sent to the run, then as a person makes them on a terminal: the interrupt key, the quit
// key, and the terminal going away.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "faults/faults_support.h"
#include "faults/live_child.h"
#include "support/child.h"

namespace {

using faults::LiveChild;
using faults::LiveOptions;
using testing_support::ChildResult;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::tool_path;
using testing_support::write_file;

struct Event {
  const char* name;  // as the interrupt line names it
  int signal_number;
  char key;  // the terminal's key for it; 0: the terminal is hung up instead
};

const Event kControlC{"control-C", SIGINT, '\x03'};
const Event kControlBreak{"control-BREAK", SIGQUIT, '\x1c'};
const Event kWindowClose{"window-CLOSE", SIGHUP, 0};
const Event kEvents[] = {kControlC, kControlBreak, kWindowClose};

// The Windows build under Wine: Wine turns SIGINT, and so the terminal's interrupt key,
// into the console's control-C event, and it has no signal for control-BREAK or for the
// closing of a console window; tests/windows hands those two events to the platform layer.
bool windows_tool() {
  return !testing_support::tool_launcher().empty();
}

bool reaches_the_tool(const Event& event) {
  return !windows_tool() || event.signal_number == SIGINT;
}

std::string interrupt_line(const Event& event) {
  return std::string("eei2csv: error (200): program aborting due to ") + event.name + " event\n";
}

// The line alone on standard error, and the end that the event gives: control-C as a
// process killed by SIGINT (a shell sees 130), control-BREAK with 1, window-CLOSE with 2.
void expect_interrupt_end(const ChildResult& result, const Event& event) {
  EXPECT_EQ(result.err, interrupt_line(event));
  if (windows_tool()) {
    // Windows ends the run with the control-C status 0xC000013A; Wine passes its low 8 bits.
    EXPECT_TRUE(result.exited()) << "ended by signal " << result.signal();
    EXPECT_EQ(result.exit_code(), 0x3A);
  } else if (event.signal_number == SIGINT) {
    EXPECT_EQ(result.signal(), SIGINT) << "wait status " << result.wait_status;
  } else {
    EXPECT_TRUE(result.exited()) << "ended by signal " << result.signal();
    EXPECT_EQ(result.exit_code(), event.signal_number == SIGQUIT ? 1 : 2);
  }
}

std::vector<std::string> files_in(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The report left by an interrupted conversion: the header and then the report lines in
// their order, each whole, fewer than the full report has.
void expect_report_prefix(const std::string& report, int pairs) {
  ASSERT_GE(report.size(), std::string(faults::kHeader).size());
  EXPECT_EQ(report.substr(0, 18), faults::kHeader);
  std::size_t body = report.size() - 18;
  EXPECT_EQ(body % faults::kReportLineBytes, 0u) << "a line is cut: " << report.size() << " bytes";
  std::size_t lines = body / faults::kReportLineBytes;
  EXPECT_LT(lines, static_cast<std::size_t>(pairs) * 24) << "the conversion was not interrupted";
  for (std::size_t i = 0; i < lines; ++i) {
    std::string expected =
        faults::report_line(static_cast<int>(i / 24), static_cast<int>(i % 24) + 1);
    if (report.compare(18 + i * faults::kReportLineBytes, faults::kReportLineBytes, expected) !=
        0) {
      ADD_FAILURE() << "report line " << i + 2 << " is "
                    << report.substr(18 + i * faults::kReportLineBytes, faults::kReportLineBytes)
                    << ", not " << expected;
      break;
    }
  }
}

// A large EEI file: the full run writes 1,200,001 report lines, so an interrupt sent once
// the first lines are there finds the conversion under way.
constexpr int kLargePairs = 50000;
constexpr long kStartedBytes = 18 + 100 * faults::kReportLineBytes;

// The event as the test sends it: the signal to the run, or on a terminal its key or the
// hang-up.
void deliver(LiveChild& child, const Event& event, bool on_terminal) {
  if (!on_terminal) {
    child.send(event.signal_number);
  } else if (event.key != 0) {
    child.type(std::string(1, event.key));
  } else {
    child.hang_up();
  }
}

struct Setting {
  const char* label;
  bool on_terminal;
};
const Setting kSettings[] = {{"signal", false}, {"terminal", true}};

TEST(Interrupt, AtTheEeiPromptCreatesNoFile) {
  for (const Setting& setting : kSettings) {
    for (const Event& event : kEvents) {
      if (!reaches_the_tool(event)) continue;
      SCOPED_TRACE(std::string(setting.label) + " " + event.name);
      TempDir dir;
      write_file(dir.file("cards.eei"), faults::eei_file(1));
      LiveOptions options;
      options.cwd = dir.path();
      options.on_terminal = setting.on_terminal;
      LiveChild child({tool_path()}, options);
      ASSERT_TRUE(child.wait_for_output("ENTER THE NAME OF THE EEI FILE")) << child.out();
      deliver(child, event, setting.on_terminal);
      ChildResult result = child.finish();
      expect_interrupt_end(result, event);
      if (!setting.on_terminal) {
        EXPECT_EQ(result.out, faults::dialogue("", "", 2));
      }
      EXPECT_EQ(files_in(dir), std::vector<std::string>{"cards.eei"});
    }
  }
}

// Unit 1 is open while the report prompt waits: it is closed, the EEI file keeps its
// bytes, and no report file is made, not even the default one.
TEST(Interrupt, AtTheReportPromptCreatesNoReport) {
  for (const Event& event : kEvents) {
    if (!reaches_the_tool(event)) continue;
    SCOPED_TRACE(event.name);
    TempDir dir;
    std::string eei = faults::eei_file(1);
    write_file(dir.file("cards.eei"), eei);
    LiveOptions options;
    options.cwd = dir.path();
    LiveChild child({tool_path()}, options);
    ASSERT_TRUE(child.wait_for_output("ENTER THE NAME OF THE EEI FILE")) << child.out();
    child.type("cards.eei\n");
    ASSERT_TRUE(child.wait_for_output("(DEFAULT=LOADHRS.CSV):\r\n")) << child.out();
    child.send(event.signal_number);
    ChildResult result = child.finish();
    expect_interrupt_end(result, event);
    EXPECT_EQ(result.out, faults::dialogue("cards.eei", "", 4));
    EXPECT_EQ(files_in(dir), std::vector<std::string>{"cards.eei"});
    EXPECT_EQ(read_file(dir.file("cards.eei")), eei);
  }
}

TEST(Interrupt, InTheMiddleOfAConversionLeavesWholeLines) {
  std::string eei = faults::eei_file(kLargePairs);
  for (const Setting& setting : kSettings) {
    // Wine's console takes the terminal into raw mode only once a read waits, and then
    // only CR as Enter: names typed ahead of the read never end their line.
    if (setting.on_terminal && windows_tool()) continue;
    for (const Event& event : kEvents) {
      if (!reaches_the_tool(event)) continue;
      SCOPED_TRACE(std::string(setting.label) + " " + event.name);
      TempDir dir;
      write_file(dir.file("cards.eei"), eei);
      LiveOptions options;
      options.cwd = dir.path();
      options.on_terminal = setting.on_terminal;
      LiveChild child({tool_path()}, options);
      ASSERT_TRUE(child.wait_for_output("ENTER THE NAME OF THE EEI FILE")) << child.out();
      child.type("cards.eei\nreport.csv\n");
      ASSERT_TRUE(child.wait_for_file_size(dir.file("report.csv"), kStartedBytes));
      deliver(child, event, setting.on_terminal);
      // A second press while the run is ending changes nothing.
      if (!setting.on_terminal) child.send(event.signal_number);
      ChildResult result = child.finish();
      expect_interrupt_end(result, event);
      if (!setting.on_terminal) {
        EXPECT_EQ(result.out, faults::dialogue("cards.eei", "report.csv", 5));
      }
      expect_report_prefix(read_file(dir.file("report.csv")), kLargePairs);
      EXPECT_EQ(read_file(dir.file("cards.eei")), eei);
    }
  }
}

// A shell that runs the tool in the background of a script, or under nohup, has it
// ignore the signal: the run carries on to its normal end.
TEST(Interrupt, SignalIgnoredByTheCallerStaysIgnored) {
  if (windows_tool()) {
    GTEST_SKIP() << "a signal ignored by a POSIX shell has no Windows counterpart, and Wine "
                    "takes SIGINT whatever the caller set";
  }
  for (const Event& event : kEvents) {
    SCOPED_TRACE(event.name);
    TempDir dir;
    write_file(dir.file("cards.eei"), faults::eei_file(1));
    LiveOptions options;
    options.cwd = dir.path();
    std::string script = "trap '' " + std::to_string(event.signal_number) + " && exec \"$0\"";
    LiveChild child({"/bin/sh", "-c", script, tool_path()}, options);
    ASSERT_TRUE(child.wait_for_output("ENTER THE NAME OF THE EEI FILE")) << child.out();
    child.send(event.signal_number);
    child.type("cards.eei\nreport.csv\n");
    ChildResult result = child.finish();
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exit_code(), 0);
    EXPECT_EQ(read_file(dir.file("report.csv")), faults::report_prefix(1, 25));
  }
}

}  // namespace
