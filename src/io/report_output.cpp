#include "io/report_output.h"

#include <cstring>

#include "io/connections.h"
#include "io/messages.h"
#include "io/termination.h"

namespace io {
namespace {

// Copies a record. The report's records (16 and 17 characters) take two overlapping
// fixed-size moves, which compile to a few loads and stores instead of a library call.
void copy_record(char* to, const char* from, std::size_t length) {
  constexpr std::size_t kMove = 16;
  if (length >= kMove && length <= 2 * kMove) {
    std::memcpy(to, from, kMove);
    std::memcpy(to + length - kMove, from + length - kMove, kMove);
  } else {
    std::memcpy(to, from, length);
  }
}

}  // namespace

void file_line_output(std::string_view record) {
  static Connection& c = connection(kReportUnit);
  if (record.size() > kReportRecordLength) {
    fatal({diagnostic::kRecordOverflow, kReportUnit, c.name, 0, "file line output"});
  }
  char line[kReportRecordLength + 2];
  copy_record(line, record.data(), record.size());
  line[record.size()] = '\r';
  line[record.size() + 1] = '\n';
  BusyMark busy(c);
  if (int e = os::write_all(c.descriptor, line, record.size() + 2)) {
    fatal({diagnostic::kWriteError, kReportUnit, c.name, e, "file line output"});
  }
}

}  // namespace io
