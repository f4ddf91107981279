#include "io/report_output.h"

#include <cstring>

#include "io/connections.h"
#include "io/messages.h"
#include "io/termination.h"

namespace io {

void file_line_output(std::string_view record) {
  Connection& c = connection(kReportUnit);
  if (record.size() > kReportRecordLength) {
    fatal({diagnostic::kRecordOverflow, kReportUnit, c.name, 0, "file line output"});
  }
  char line[kReportRecordLength + 2];
  std::memcpy(line, record.data(), record.size());
  line[record.size()] = '\r';
  line[record.size() + 1] = '\n';
  BusyMark busy(c);
  if (int e = os::write_all(c.descriptor, line, record.size() + 2)) {
    fatal({diagnostic::kWriteError, kReportUnit, c.name, e, "file line output"});
  }
}

}  // namespace io
