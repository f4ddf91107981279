#include "io/report_output.h"

#include <cstring>

#include "io/connections.h"
#include "io/messages.h"
#include "io/termination.h"

namespace io {
namespace {

// The report's own records (16 and 17 characters) are put together in a small buffer, so
// that writing a line touches as little memory as possible; longer ones take a buffer of
// the full record length.
constexpr std::size_t kShortRecord = 32;

// Copies a short record with two overlapping fixed-size moves, which compile to a few
// loads and stores instead of a library call.
void copy_short_record(char* to, const char* from, std::size_t length) {
  constexpr std::size_t kMove = kShortRecord / 2;
  if (length >= kMove) {
    std::memcpy(to, from, kMove);
    std::memcpy(to + length - kMove, from + length - kMove, kMove);
  } else {
    std::memcpy(to, from, length);
  }
}

// Hands a whole line, record and CR LF, to the system in one write.
void write_line(Connection& c, const char* line, std::size_t length) {
  BusyMark busy(c);
  if (int e = os::write_all(c.descriptor, line, length)) {
    fatal({diagnostic::kWriteError, kReportUnit, c.name, e, "file line output"});
  }
}

[[gnu::noinline]] void write_long_record(Connection& c, std::string_view record) {
  char line[kReportRecordLength + 2];
  std::memcpy(line, record.data(), record.size());
  line[record.size()] = '\r';
  line[record.size() + 1] = '\n';
  write_line(c, line, record.size() + 2);
}

}  // namespace

// The functions on the path of every report line are marked hot, which makes the compiler
// and the linker keep them together. Every write returns from the kernel with the address
// translations of the process flushed wherever the kernel page tables are isolated from
// the process's (without PCID), so each code page a line runs through costs a page walk;
// kept together they take one or two pages, and a line costs little more than its write.
[[gnu::hot]] void file_line_output(std::string_view record) {
  Connection& c = connection(kReportUnit);
  if (record.size() > kReportRecordLength) {
    fatal({diagnostic::kRecordOverflow, kReportUnit, c.name, 0, "file line output"});
  }
  if (record.size() > kShortRecord) return write_long_record(c, record);
  char line[kShortRecord + 2];
  copy_short_record(line, record.data(), record.size());
  line[record.size()] = '\r';
  line[record.size() + 1] = '\n';
  write_line(c, line, record.size() + 2);
}

}  // namespace io
