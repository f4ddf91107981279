// The two file connections of the run, unit 1 (the EEI file) and unit 3 (the report
// file), and the busy marks that keep the console interrupt from closing a connection
// while the run is using it.
#pragma once

#include <atomic>

#include "io/os.h"

namespace io {

inline constexpr int kEeiUnit = 1;
inline constexpr int kReportUnit = 3;
inline constexpr int kConsoleInputUnit = 5;
inline constexpr int kConsoleOutputUnit = 6;
inline constexpr int kCardImageUnit = -5;
inline constexpr const char* kConsoleInputName = "CONIN$";
inline constexpr const char* kConsoleOutputName = "CONOUT$";
inline constexpr const char* kCardImageName = "Internal Formatted Read";

// Longest file name a connection holds, without its NUL.
inline constexpr int kFileNameCapacity = 256;

struct Connection {
  enum State : int { closed, idle, busy };

  const int unit;
  os::Descriptor descriptor = os::kNoDescriptor;
  char name[kFileNameCapacity + 1] = {};  // the name opened and shown, NUL-terminated
  std::atomic<int> state{closed};
};

// The connection of unit 1 or unit 3.
Connection& connection(int unit);

// Connects `c` to an open descriptor under the name it was opened by.
void attach(Connection& c, os::Descriptor descriptor, const char* name);

// Marks the connection busy for the length of one operation of the run. A connection
// that the console interrupt has already closed is never touched again: the run thread
// then waits for the interrupt to end the process.
class BusyMark {
 public:
  explicit BusyMark(Connection& c);
  ~BusyMark();
  BusyMark(const BusyMark&) = delete;
  BusyMark& operator=(const BusyMark&) = delete;

 private:
  Connection& c_;
};

// Takes the connection away for closing. The run thread takes it in any state but
// closed; the interrupt thread only takes a connection that is not busy. Returns the
// descriptor to close, or kNoDescriptor.
os::Descriptor take_for_closing(Connection& c, bool by_run_thread);

}  // namespace io
