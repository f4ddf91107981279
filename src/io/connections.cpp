#include "io/connections.h"

#include <cstring>

namespace io {
namespace {

Connection eei{kEeiUnit};
Connection report{kReportUnit};

}  // namespace

// Hot: on the path of every report line (see io::file_line_output).
[[gnu::hot]] Connection& connection(int unit) {
  return unit == kEeiUnit ? eei : report;
}

void attach(Connection& c, os::Descriptor descriptor, const char* name) {
  std::strncpy(c.name, name, kFileNameCapacity);
  c.name[kFileNameCapacity] = '\0';
  c.descriptor = descriptor;
  c.state.store(Connection::idle, std::memory_order_release);
}

// Hot: on the path of every report line (see io::file_line_output).
[[gnu::hot]] BusyMark::BusyMark(Connection& c) : c_(c) {
  int expected = Connection::idle;
  if (!c_.state.compare_exchange_strong(expected, Connection::busy)) os::wait_for_end();
}

[[gnu::hot]] BusyMark::~BusyMark() {
  c_.state.store(Connection::idle, std::memory_order_release);
}

os::Descriptor take_for_closing(Connection& c, bool by_run_thread) {
  if (by_run_thread) {
    if (c.state.exchange(Connection::closed) == Connection::closed) return os::kNoDescriptor;
  } else {
    int expected = Connection::idle;
    if (!c.state.compare_exchange_strong(expected, Connection::closed)) return os::kNoDescriptor;
  }
  return c.descriptor;
}

}  // namespace io
