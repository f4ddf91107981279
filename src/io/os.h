// The operating system as the tool sees it: descriptors, the two file opens with their
// sharing rules, block reads and whole writes, closing, the working directory, the
// console interrupt events and the end of the process. Every system call of the tool
// is made behind this header; nothing outside src/io/ sees a platform type. Two
// implementations, chosen by the build: os_posix.cpp and os_win32.cpp (where the
// descriptors 0 to 2 stand for the standard handles and the others for the handles of
// the opened files, and the error codes are the system's GetLastError codes).
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
// Anything else (a terminal, /dev/null, a pipe) is opened as it is. On Win32 the share
// modes of the two opens do the locking, and refuse the file held as unit 1 by themselves.
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

// What the system does toward the absolute form of a file name.
enum class SystemName { formed, failed, not_offered };

// The absolute form of `name` as the system itself resolves names (Win32: GetFullPathNameA,
// with its rules for drives, "." and ".." segments and both kinds of slash), NUL-terminated
// in `buffer`, `length` characters long: `formed`; `failed` when it cannot be had or does
// not fit in `capacity`. `not_offered` where the system has no such service (POSIX): the
// tool then joins the name to current_directory() by its own rule.
SystemName system_absolute_name(const char* name, char* buffer, std::size_t capacity,
                                std::size_t& length);

// Whether a read that failed with `system_error` only tells that the stream has ended
// (Win32: the writer of a pipe has closed it). POSIX reports every end as a read of no
// bytes, never as a failure.
bool ends_stream(int system_error);

// The console interrupt events of the run.
enum class Interrupt { control_c, control_break, window_close };

// Starts the thread that takes the console interrupt events and hands each to `handler`
// on that thread. The handler must use async-signal-safe calls only.
void start_interrupt_thread(void (*handler)(Interrupt));

// Whether standard input or standard output (`descriptor` 0 or 1) was a terminal when the
// run began and that terminal has since gone away (hung up, its window closed).
bool terminal_gone(Descriptor descriptor);

// From now on only the calling thread reaches the system: every other thread waits at its
// next system call until the process ends. The console interrupt calls it before its
// interrupt line, so that the run does nothing more once that line is on its way.
void stop_other_threads();

// Ends the process at once with `status` (only its low 8 bits reach a POSIX caller).
// No exit handler runs and nothing is flushed.
[[noreturn]] void end_process(unsigned status);

// Ends the process after a console interrupt: control-C as a process killed by its
// signal, so that a calling shell stops as well (Win32: with 0xC000013A, the status of a
// process ended by control-C); the other events with their statuses.
[[noreturn]] void end_after_interrupt(Interrupt event);

// Blocks the calling thread until another thread ends the process.
[[noreturn]] void wait_for_end();

}  // namespace io::os
