#include "files/files.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#include "files/keyval.h"
#include "io/connections.h"
#include "io/console.h"
#include "io/file_open.h"
#include "io/messages.h"
#include "io/termination.h"

namespace files {
namespace {

constexpr std::string_view kDefaultReportName = "LOADHRS.CSV";

// The name buffer and the token positions that KEYVAL finds in it.
struct NameEntry {
  char buffer[kNameBufferLength];
  std::int32_t value_start = 0;
  std::int32_t value_end = 0;
  std::int32_t keyword_start = 0;
  std::int32_t keyword_end = 0;

  void read_and_scan() {
    io::typed_line_input(buffer);
    KEYVAL(buffer, kNameBufferLength, value_start, value_end, keyword_start, keyword_end);
  }

  // Buffer positions value start through value end; empty when there is no value token.
  std::string_view value() const {
    if (value_start == 0) return {};
    return {buffer + value_start - 1, static_cast<std::size_t>(value_end - value_start + 1)};
  }
};

NameEntry entry;

}  // namespace

void FILES() {
  io::Routine routine("FILES");
  io::list_line_output({" RUNNING SUBROUTINE FILES"});

  io::list_line_output({" ENTER THE NAME OF THE EEI FILE "});
  entry.read_and_scan();
  io::list_line_output({" OPENING FIRST FILE AS FILE 01 : ", entry.value()});
  // There is no default EEI file: an entry without a name ends the run here.
  if (entry.value_start == 0) {
    io::fatal({io::diagnostic::kNameError, io::kEeiUnit, "", 0,
               "the EEI name entry, which holds no name"});
  }
  io::read_open(io::kEeiUnit, entry.value());

  io::list_line_output({" ENTER THE NAME OF THE OUTPUT REPORT FILE", " (DEFAULT=LOADHRS.CSV):"});
  entry.read_and_scan();
  if (entry.value_start == 0) {
    entry.value_start = 1;
    entry.value_end = static_cast<std::int32_t>(kDefaultReportName.size()) + 1;
    std::memcpy(entry.buffer, kDefaultReportName.data(), kDefaultReportName.size());
    entry.buffer[kDefaultReportName.size()] = ' ';
  }
  io::list_line_output({" OPENING REPORT FILE AS FILE 03 : ", entry.value()});
  io::replace_open(io::kReportUnit, entry.value());
}

}  // namespace files
