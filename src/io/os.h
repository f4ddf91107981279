// The operating system as the tool sees it: descriptors, the two file opens with their
// sharing rules, block reads and whole writes, closing, the working directory, the
// console interrupt events and the end of the process. Every system call of the tool
// is made behind this header; nothing outside src/io/ sees a platform type.
#pragma once

#include <cstddef>

namespace io::os {

// A connection to a file or a standard stream. Small integers, as the system hands them out.
using Descriptor = int;
inline constexpr Descriptor kNoDescriptor = -1;
inline constexpr Descriptor kStandardInput = 0;
inline constexpr Descriptor kStandardOutput = 1;
inline constexpr Descriptor kStandardError = 2;

// Why an open was refused, in the tool's own terms: the diagnostic number to end with
// (0 when the open succeeded) and the system's error code whose text is shown before the
// diagnostic line (0 when the diagnostic shows no system text).
struct Refusal {
  int number = 0;
  int system_error = 0;
};

// Process set-up, before anything else runs: the standard descriptors 0 to 2 are kept
// occupied (a closed one is held by a descriptor that refuses every transfer, so that no
// file opened later can take its number), a write to a closed pipe fails with an error
// instead of killing the process, and the console interrupt signals are blocked in every
// thread but the one that takes them.
void prepare_process();

// Opens an existing file for reading only and takes a shared lock on it, so that no one
// can write it while the run holds it. A directory is refused.
Refusal open_for_reading(const char* name, Descriptor& descriptor);

// Opens a file for writing only, creating it when missing. A regular file is locked
// exclusively, checked not to be the file held by `held`, and only then cut to length 0.
// Anything else (a terminal, /dev/null, a pipe) is opened as it is.
Refusal open_for_replacing(const char* name, Descriptor held, Descriptor& descriptor);

// Reads up to `capacity` bytes; `got` is 0 at the end of the stream. Returns the system
// error code, or 0. An interrupted read is repeated.
int read_some(Descriptor descriptor, char* buffer, std::size_t capacity, std::size_t& got);

// Writes all `length` bytes, repeating after short writes and interruptions. Returns the
// system error code, or 0.
int write_all(Descriptor descriptor, const char* bytes, std::size_t length);

// Releases a descriptor. Returns the system error code, or 0. Never repeated: after a
// failed close the descriptor is gone all the same.
int close_descriptor(Descriptor descriptor);

// The system's own message text for an error code, into `buffer`.
const char* error_text(int system_error, char* buffer, std::size_t capacity);

// The current working directory, NUL-terminated, or false when it cannot be had or does
// not fit.
bool current_directory(char* buffer, std::size_t capacity);

// The console interrupt events of the run.
enum class Interrupt { control_c, control_break, window_close };

// Starts the thread that takes the console interrupt events and hands each to `handler`
// on that thread. The handler must use async-signal-safe calls only.
void start_interrupt_thread(void (*handler)(Interrupt));

// Ends the process at once with `status` (only its low 8 bits reach a POSIX caller).
// No exit handler runs and nothing is flushed.
[[noreturn]] void end_process(unsigned status);

// Ends the process after a console interrupt: control-C as a process killed by its
// signal, so that a calling shell stops as well; the other events with their statuses.
[[noreturn]] void end_after_interrupt(Interrupt event);

// Blocks the calling thread until another thread ends the process.
[[noreturn]] void wait_for_end();

}  // namespace io::os
