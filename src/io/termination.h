// The three ends of a run: the normal stop, the fatal diagnostic and the console
// interrupt. Every failure of the tool ends in `fatal`; nothing is handed back to a caller.
#pragma once

#include <string_view>

namespace io {

inline constexpr std::string_view kProgramTag = "eei2csv";

// A failure, as the fatal diagnostic reports it.
struct Failure {
  int number;                   // the diagnostic number (messages.h)
  int unit;                     // the unit shown
  const char* file;             // the unit's file name shown
  int system_error = 0;         // the system's error code, when its text is shown first
  std::string_view where = {};  // innermost traceback entry, when the failing routine has one
};

// Writes the system text line (when the failure has one), the diagnostic line and the
// traceback on standard error, closes every file connection and ends the process with
// the diagnostic code as its status.
[[noreturn]] void fatal(const Failure& failure);

// Closes every file connection and ends the process with status 0, writing nothing.
[[noreturn]] void normal_stop();

// Prepares the process for the run and sets up the console interrupt: from now on
// control-C, control-BREAK and window-CLOSE end the run with their interrupt line.
void prepare_run();

// An entry of the traceback: the routine that is running while the object lives.
class Routine {
 public:
  explicit Routine(const char* name);
  ~Routine();
  Routine(const Routine&) = delete;
  Routine& operator=(const Routine&) = delete;
};

}  // namespace io
