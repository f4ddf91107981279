// The report of card pairs: PUTHDR and PUTDAY after GETPAIR, on report files opened by the
// replace open. Units are process-wide, so each conversion runs in a forked child that ends
// with the normal stop; the report is read back by the test.
#include <gtest/gtest.h>

#include <string>

#include "forked.h"
#include "io/connections.h"
#include "io/file_open.h"
#include "io/termination.h"
#include "run/card_pair.h"
#include "run/report.h"
#include "support/child.h"

namespace {

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

// Converts every card pair of `eei` into `report`, as the run does after the dialogue.
void convert(const std::string& eei, const std::string& report) {
  io::read_open(io::kEeiUnit, eei);
  io::replace_open(io::kReportUnit, report);
  run::PUTHDR();
  for (;;) {
    bool end_of_file = false;
    run::GETPAIR(end_of_file);
    if (end_of_file) break;
    run::PUTDAY();
  }
  io::normal_stop();
}

const std::string kFirstCard = std::string(" 1 213 1") + "IGNORED 9-20" + "  123" + "00007" +
                               "    7" + "-9999" + "99999" + "     " + "-    " + "1 2 3" + "+ 123" +
                               "  -12" + "-12  " + "   45";
const std::string kSecondCard = std::string("01030502") + "            " + "  -45" + "    1" +
                                "   10" + "  100" + " 1000" + "10000" + "    0" + "00000" +
                                "   -1" + "  -10" + " -100" + "-1000" + "AFTER COLUMN 80";

const std::string kReport =
    "MO,DA,YR,HR,LOAD\r\n"
    " 1, 2,13, 1,  123\r\n"
    " 1, 2,13, 2,    7\r\n"
    " 1, 2,13, 3,    7\r\n"
    " 1, 2,13, 4,-9999\r\n"
    " 1, 2,13, 5,99999\r\n"
    " 1, 2,13, 6,    0\r\n"
    " 1, 2,13, 7,    0\r\n"
    " 1, 2,13, 8,  123\r\n"
    " 1, 2,13, 9,  123\r\n"
    " 1, 2,13,10,  -12\r\n"
    " 1, 2,13,11,  -12\r\n"
    " 1, 2,13,12,   45\r\n"
    " 1, 3, 5,13,  -45\r\n"
    " 1, 3, 5,14,    1\r\n"
    " 1, 3, 5,15,   10\r\n"
    " 1, 3, 5,16,  100\r\n"
    " 1, 3, 5,17, 1000\r\n"
    " 1, 3, 5,18,10000\r\n"
    " 1, 3, 5,19,    0\r\n"
    " 1, 3, 5,20,    0\r\n"
    " 1, 3, 5,21,   -1\r\n"
    " 1, 3, 5,22,  -10\r\n"
    " 1, 3, 5,23, -100\r\n"
    " 1, 3, 5,24,-1000\r\n";

struct Conversion {
  const char* what;
  std::string eei;
  std::string report;
  std::size_t bytes;  // the size of the report file
};

const Conversion kConversions[] = {
    {"one card pair", kFirstCard + "\r\n" + kSecondCard + "\r\n", kReport, 474},
    // Indicators 2 and 1: the first card's values are still hours 1 to 12. A lone last card
    // is not decoded, whatever it holds.
    {"swapped indicators and a lone last card",
     " 1 213 2" + kFirstCard.substr(8) + "\n01030501" + kSecondCard.substr(8) +
         "\nNOT A CARD 1.5\n",
     kReport, 474},
    {"no card pair", "", "MO,DA,YR,HR,LOAD\r\n", 18},
};

TEST(Report, CardPairsToReportBytes) {
  for (const Conversion& c : kConversions) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    std::string eei = dir.file("cards.eei");
    std::string report = dir.file("report.csv");
    write_file(eei, c.eei);
    write_file(report, std::string(4096, 'o'));  // an old report, replaced
    run_tests::ForkedEnd end = run_tests::run_forked([&] { convert(eei, report); });
    EXPECT_EQ(end.exit_code, 0);
    EXPECT_EQ(end.err, "");
    EXPECT_EQ(read_file(report), c.report);
    EXPECT_EQ(read_file(report).size(), c.bytes);
    EXPECT_EQ(read_file(eei), c.eei);
  }
}

}  // namespace
