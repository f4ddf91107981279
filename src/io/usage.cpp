#include "io/usage.h"

#include <string_view>

#include "io/connections.h"
#include "io/messages.h"
#include "io/os.h"
#include "io/termination.h"

#ifndef EEI2CSV_VERSION
#error "EEI2CSV_VERSION must name the version of the build"
#endif

namespace io {
namespace {

constexpr std::string_view kUsage =
    "Usage: eei2csv\n"
    "       eei2csv --help | --version\n"
    "\n"
    "Converts hourly electric-load data from an EEI card file (80-column cards, two cards\n"
    "per day) into a vertical CSV report, one hour per line: MO,DA,YR,HR,LOAD.\n"
    "\n"
    "Takes no arguments: it asks on the console for the name of the EEI file, then for the\n"
    "name of the report file (an empty answer takes LOADHRS.CSV in the current folder).\n"
    "Each answer is a file name or KEYWORD=name. At most 50000 card pairs are converted.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "See eei2csv(1) for the card and report layouts and the diagnostics.\n";

constexpr std::string_view kVersion = "eei2csv " EEI2CSV_VERSION "\n";

[[noreturn]] void answer(std::string_view text) {
  if (int e = os::write_all(os::kStandardOutput, text.data(), text.size())) {
    fatal({diagnostic::kWriteError, kConsoleOutputUnit, kConsoleOutputName, e, "option answer"});
  }
  os::end_process(0);
}

}  // namespace

void answer_option(const char* argument) {
  std::string_view option = argument;
  if (option == "--help") answer(kUsage);
  if (option == "--version") answer(kVersion);
}

}  // namespace io
