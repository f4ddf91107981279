// The console dialogue of a whole run: banner, prompts, echo lines, name entries, the
// default report name, and console input that ends early.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/e2e_support.h"

namespace e2e {
namespace {

using testing_support::ChildOptions;
using testing_support::file_exists;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

// One card pair of varied values: negative, widest, zero.
const std::vector<Card> kPair = {
    {1, 2, 13, 1, {123, 0, -45, 99999, -9999, 7, 10, 200, 3000, 40000, -1, 5}},
    {1, 2, 13, 2, {-45, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
};

TEST(E2eDialogue, NormalRunWritesTheWholeDialogueAndReport) {
  TempDir dir;
  write_file(dir.file("cards.eei"), eei_file(kPair));
  auto r = run_tool(dir, "cards.eei\nr.csv\n");

  EXPECT_EQ(r.out,
            "  RUNNING SUBROUTINE FILES\r\n"
            "  ENTER THE NAME OF THE EEI FILE \r\n"
            "  OPENING FIRST FILE AS FILE 01 : cards.eei\r\n"
            "  ENTER THE NAME OF THE OUTPUT REPORT FILE (DEFAULT=LOADHRS.CSV):\r\n"
            "  OPENING REPORT FILE AS FILE 03 : r.csv\r\n"
            "PROGRAM DONE- EEI CARDS WRITTEN IN VERT CSV\r\n");
  EXPECT_EQ(read_file(dir.file("r.csv")),
            "MO,DA,YR,HR,LOAD\r\n"
            " 1, 2,13, 1,  123\r\n"
            " 1, 2,13, 2,    0\r\n"
            " 1, 2,13, 3,  -45\r\n"
            " 1, 2,13, 4,99999\r\n"
            " 1, 2,13, 5,-9999\r\n"
            " 1, 2,13, 6,    7\r\n"
            " 1, 2,13, 7,   10\r\n"
            " 1, 2,13, 8,  200\r\n"
            " 1, 2,13, 9, 3000\r\n"
            " 1, 2,13,10,40000\r\n"
            " 1, 2,13,11,   -1\r\n"
            " 1, 2,13,12,    5\r\n"
            " 1, 2,13,13,  -45\r\n"
            " 1, 2,13,14,    1\r\n"
            " 1, 2,13,15,    2\r\n"
            " 1, 2,13,16,    3\r\n"
            " 1, 2,13,17,    4\r\n"
            " 1, 2,13,18,    5\r\n"
            " 1, 2,13,19,    6\r\n"
            " 1, 2,13,20,    7\r\n"
            " 1, 2,13,21,    8\r\n"
            " 1, 2,13,22,    9\r\n"
            " 1, 2,13,23,   10\r\n"
            " 1, 2,13,24,   11\r\n");
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(r.exited());
  EXPECT_EQ(r.exit_code(), 0);
  // The helpers used by the other tests give the same bytes.
  EXPECT_EQ(r.out, transcript("cards.eei", "r.csv"));
  EXPECT_EQ(read_file(dir.file("r.csv")), report(kPair));
}

TEST(E2eDialogue, ArgumentsAndRedirectedOutputChangeNothing) {
  TempDir dir, out_dir;
  write_file(dir.file("cards.eei"), eei_file(kPair));
  ChildOptions options;
  options.stdout_path = out_dir.file("console.txt");
  auto r = run_tool(dir, "cards.eei\nr.csv\n", options, {"foo", "bar"});

  EXPECT_EQ(read_file(out_dir.file("console.txt")), transcript("cards.eei", "r.csv"));
  EXPECT_EQ(read_file(dir.file("r.csv")), report(kPair));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.exit_code(), 0);
}

// Exactly one argument, --help or --version, answers on standard output and ends with 0
// without a dialogue; with anything more the dialogue runs as usual.
TEST(E2eDialogue, HelpAndVersionAnswerAlone) {
  TempDir dir;
  auto version = run_tool(dir, "", {}, {"--version"});
  EXPECT_EQ(version.out, "eei2csv 1.0.0\n");
  EXPECT_EQ(version.err, "");
  EXPECT_EQ(version.exit_code(), 0);

  auto help = run_tool(dir, "", {}, {"--help"});
  EXPECT_EQ(help.out.rfind("Usage: eei2csv\n", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("--version"), std::string::npos);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.exit_code(), 0);

  write_file(dir.file("cards.eei"), eei_file(kPair));
  auto both = run_tool(dir, "cards.eei\nr.csv\n", {}, {"--help", "--version"});
  EXPECT_EQ(both.out, transcript("cards.eei", "r.csv"));
  EXPECT_EQ(both.exit_code(), 0);
  EXPECT_TRUE(files_in(dir) == (std::vector<std::string>{"cards.eei", "r.csv"}));
}

TEST(E2eDialogue, ReportEntryWithoutNameTakesTheDefault) {
  const char* const kEntries[] = {"", "   ", "out=", "OUT =   ", "\r"};
  for (const char* entry : kEntries) {
    SCOPED_TRACE(testing::Message() << "report entry \"" << entry << "\"");
    TempDir dir;
    write_file(dir.file("cards.eei"), eei_file(kPair));
    auto r = run_tool(dir, "cards.eei\n" + std::string(entry) + "\n");

    EXPECT_EQ(r.out, banner_and_eei_prompt() + eei_echo("cards.eei") + report_prompt() +
                         "  OPENING REPORT FILE AS FILE 03 : LOADHRS.CSV \r\n" +
                         std::string(kCompletionLine));
    EXPECT_EQ(read_file(dir.file("LOADHRS.CSV")), report(kPair));
    EXPECT_EQ(files_in(dir), (std::vector<std::string>{"LOADHRS.CSV", "cards.eei"}));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exit_code(), 0);
  }
}

TEST(E2eDialogue, NameEntryFormsOpenTheValueToken) {
  struct Row {
    const char* eei_entry;
    const char* eei_name;
    const char* report_entry;
    const char* report_name;
  };
  const Row kRows[] = {
      // keyword=name, with and without blanks around the equals sign
      {"EEI=cards.txt", "cards.txt", "REPORT=out.csv", "out.csv"},
      {"eei = cards.txt", "cards.txt", "report  =  out.csv", "out.csv"},
      {"=cards.txt", "cards.txt", "=out.csv", "out.csv"},
      // only the first equals sign separates
      {"a=b=c", "b=c", "x=y=z.csv", "y=z.csv"},
      // the first run of non-blank characters is the name
      {"cards.txt old", "cards.txt", "out.csv and more text", "out.csv"},
      {"  cards.txt", "cards.txt", "   out.csv", "out.csv"},
      // a tab is not a blank
      {"car\tds.txt", "car\tds.txt", "out\t.csv", "out\t.csv"},
      {"in\tfile=x.eei", "x.eei", "eei\t=\ty.csv", "\ty.csv"},
      // letters keep their case in the name
      {"in file = Cards.Txt", "Cards.Txt", "out.CSV", "out.CSV"},
      // CR LF typed lines; a second CR stays in the name
      {"cards.txt\r", "cards.txt", "out.csv\r", "out.csv"},
      {"cards.txt\r\r", "cards.txt\r", "out.csv", "out.csv"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(testing::Message()
                 << "entries \"" << row.eei_entry << "\", \"" << row.report_entry << "\"");
    // No Windows file name holds a control character (tab, CR).
    auto has_control = [](std::string_view name) {
      return std::any_of(name.begin(), name.end(), [](char c) { return c > 0 && c < ' '; });
    };
    if (windows_tool() && (has_control(row.eei_name) || has_control(row.report_name))) continue;
    TempDir dir;
    write_file(dir.file(row.eei_name), eei_file(kPair));
    auto r = run_tool(dir, std::string(row.eei_entry) + "\n" + row.report_entry + "\n");

    EXPECT_EQ(r.out, transcript(row.eei_name, row.report_name));
    EXPECT_EQ(read_file(dir.file(row.report_name)), report(kPair));
    std::vector<std::string> names = {row.eei_name, row.report_name};
    std::sort(names.begin(), names.end());
    EXPECT_EQ(files_in(dir), names);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exit_code(), 0);
  }
}

// An echo line: one line when label and name fit in 80 columns, else the label alone and
// the name in pieces of up to 79 characters after a leading blank.
std::string echo_lines(const std::string& label, const std::string& name, int lines) {
  if (lines == 1) return " " + label + name + "\r\n";
  std::string out = " " + label + "\r\n";
  for (std::size_t at = 0; at < name.size(); at += 79) out += " " + name.substr(at, 79) + "\r\n";
  EXPECT_EQ(lines, 1 + static_cast<int>((name.size() + 78) / 79));
  return out;
}

TEST(E2eDialogue, EchoLineMovesALongNameToItsOwnLines) {
  struct Row {
    int eei_length, eei_lines, report_length, report_lines;
  };
  const Row kRows[] = {
      {46, 1, 45, 1},    // the longest names that share their label's line (80 columns)
      {47, 2, 46, 2},    // one more character moves the name to the next line
      {79, 2, 79, 2},    // one full line of name
      {100, 3, 100, 3},  // the longest name: 79 characters, then 21
  };
  const std::string kEeiLabel = " OPENING FIRST FILE AS FILE 01 : ";
  const std::string kReportLabel = " OPENING REPORT FILE AS FILE 03 : ";
  for (const Row& row : kRows) {
    SCOPED_TRACE(testing::Message()
                 << "name lengths " << row.eei_length << ", " << row.report_length);
    TempDir dir;
    std::string eei = std::string(row.eei_length - 4, 'e') + ".eei";
    std::string out = std::string(row.report_length - 4, 'r') + ".csv";
    write_file(dir.file(eei), eei_file(kPair));
    auto r = run_tool(dir, eei + "\n" + out + "\n");

    EXPECT_EQ(r.out, banner_and_eei_prompt() + echo_lines(kEeiLabel, eei, row.eei_lines) +
                         report_prompt() + echo_lines(kReportLabel, out, row.report_lines) +
                         std::string(kCompletionLine));
    EXPECT_EQ(r.out, transcript(eei, out));
    EXPECT_EQ(read_file(dir.file(out)), report(kPair));
    EXPECT_EQ(r.exit_code(), 0);
  }
}

TEST(E2eDialogue, TypedLineKeepsItsFirst100Characters) {
  // The EEI line has 150 characters: the name is cut at 100, and the next entry is the next
  // line, not the 50 characters after position 100. The report line runs past 100 too.
  TempDir dir;
  std::string eei(100, 'e');
  std::string out = std::string(96, 'r') + ".csv";
  write_file(dir.file(eei), eei_file(kPair));
  auto r = run_tool(dir, eei + std::string(50, 'x') + "\n" + out + "yyyyyyyyyy\n");

  EXPECT_EQ(r.out, transcript(eei, out));
  EXPECT_EQ(read_file(dir.file(out)), report(kPair));
  EXPECT_EQ(files_in(dir), (std::vector<std::string>{eei, out}));
  EXPECT_EQ(r.exit_code(), 0);
}

TEST(E2eDialogue, LastInputLineWithoutLfAnswersThePrompt) {
  TempDir dir;
  write_file(dir.file("cards.eei"), eei_file(kPair));
  auto r = run_tool(dir, "cards.eei\nr.csv");

  EXPECT_EQ(r.out, transcript("cards.eei", "r.csv"));
  EXPECT_EQ(read_file(dir.file("r.csv")), report(kPair));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.exit_code(), 0);
}

TEST(E2eDialogue, EndOfConsoleInputAtAPromptEndsTheRun) {
  struct Row {
    const char* input;
    bool at_report_prompt;
  };
  const Row kRows[] = {
      // at the EEI prompt: no input at all, or a lone Ctrl-Z line
      {"", false},
      {"\x1a\n", false},
      {"\x1a\r\n", false},
      {"\x1a", false},
      // at the report prompt
      {"cards.eei\n", true},
      {"cards.eei\n\x1a\n", true},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(testing::Message() << "input \"" << row.input << "\"");
    TempDir dir;
    write_file(dir.file("cards.eei"), eei_file(kPair));
    auto r = run_tool(dir, row.input);

    std::string out = banner_and_eei_prompt();
    if (row.at_report_prompt) out += eei_echo("cards.eei") + report_prompt();
    EXPECT_EQ(r.out, out);
    expect_diagnostic(r.err,
                      {"eei2csv: severe (24): end-of-file during read, unit 5, file CONIN$"});
    EXPECT_EQ(r.exit_code(), 24);
    EXPECT_EQ(files_in(dir), std::vector<std::string>{"cards.eei"});
  }
}

TEST(E2eDialogue, EeiEntryWithoutNameEndsTheRun) {
  const char* const kEntries[] = {"", "    ", "eei=", "eei=   ", "\r"};
  for (const char* entry : kEntries) {
    SCOPED_TRACE(testing::Message() << "EEI entry \"" << entry << "\"");
    TempDir dir;
    auto r = run_tool(dir, std::string(entry) + "\nr.csv\n");

    EXPECT_EQ(r.out, banner_and_eei_prompt() + "  OPENING FIRST FILE AS FILE 01 : \r\n");
    expect_diagnostic(r.err,
                      {"eei2csv: severe (43): file name specification error, unit 1, file "});
    EXPECT_EQ(r.exit_code(), 43);
    EXPECT_TRUE(files_in(dir).empty());
  }
}

}  // namespace
}  // namespace e2e
