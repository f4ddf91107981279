#include "io/file_open.h"

#include "io/connections.h"
#include "io/file_name.h"
#include "io/messages.h"
#include "io/termination.h"

namespace io {
namespace {

using OpenFunction = os::Refusal (*)(const char* name, os::Descriptor& descriptor);

void open_unit(int unit, std::string_view handed, const char* routine, OpenFunction open) {
  char name[kFileNameCapacity + 1];
  bool holds_nul = false;
  connection_name(handed, name, holds_nul);
  if (holds_nul) fatal({diagnostic::kNameError, unit, name, 0, routine});
  os::Descriptor descriptor = os::kNoDescriptor;
  os::Refusal refusal = open(name, descriptor);
  if (refusal.number != 0) fatal({refusal.number, unit, name, refusal.system_error, routine});
  attach(connection(unit), descriptor, name);
}

}  // namespace

void read_open(int unit, std::string_view name) {
  open_unit(unit, name, "read open", os::open_for_reading);
}

void replace_open(int unit, std::string_view name) {
  open_unit(unit, name, "replace open", [](const char* n, os::Descriptor& d) {
    // Unit 1 stays busy while the report open compares the two files, so that an
    // interrupt cannot close it in between.
    Connection& eei = connection(kEeiUnit);
    if (eei.state.load() == Connection::closed)
      return os::open_for_replacing(n, os::kNoDescriptor, d);
    BusyMark busy(eei);
    return os::open_for_replacing(n, eei.descriptor, d);
  });
}

}  // namespace io
