// The platform layer on Win32. Descriptors stay small integers: 0 to 2 stand for the
// standard handles, taken from the system at each use, and the others number the handles
// of the opened files in a table of this file. Error codes are the system's GetLastError
// codes. Each system call goes through the fault seam first, so that a test can make its
// n-th use fail with a Windows error code.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <atomic>
#include <cstring>

#include "io/fault.h"
#include "io/os.h"
#include "io/os_win32.h"

namespace io::os {
namespace {

using fault::Call;

// The status that Windows gives a process ended by control-C.
constexpr unsigned kControlCExit = 0xC000013Au;

// How long a console read that came back empty or aborted waits for the control-C event
// that may be on its way: the console ends a pending read before it calls the handler.
constexpr DWORD kControlCGraceMs = 100;

// Set once an end of the run has stopped every thread but its own (stop_other_threads).
std::atomic<bool> others_stopped{false};
thread_local bool ending_thread = false;

// The way in of every system call: a thread that an end has stopped waits here for the
// process to end; then the fault seam may make the call fail.
DWORD enter(Call call) {
  if (others_stopped.load() && !ending_thread) wait_for_end();
  return static_cast<DWORD>(fault::take(call));
}

// The error of the call that just failed; never 0, so that a failure is never taken for
// a success.
DWORD last_error() {
  DWORD e = ::GetLastError();
  return e != ERROR_SUCCESS ? e : ERROR_GEN_FAILURE;
}

// The handles of the opened files, by descriptor; 0 to 2 are never used here.
constexpr int kDescriptors = 64;
std::atomic<HANDLE> opened[kDescriptors];

HANDLE handle_of(Descriptor descriptor) {
  switch (descriptor) {
    case kStandardInput:
      return ::GetStdHandle(STD_INPUT_HANDLE);
    case kStandardOutput:
      return ::GetStdHandle(STD_OUTPUT_HANDLE);
    case kStandardError:
      return ::GetStdHandle(STD_ERROR_HANDLE);
  }
  if (descriptor < 0 || descriptor >= kDescriptors) return INVALID_HANDLE_VALUE;
  HANDLE h = opened[descriptor].load();
  return h != nullptr ? h : INVALID_HANDLE_VALUE;
}

// Whether console input and console output were consoles when the run began.
bool started_on_console[2] = {false, false};

bool is_console(HANDLE h) {
  DWORD mode = 0;
  return ::GetConsoleMode(h, &mode) != 0;
}

DWORD sys_create(const char* name, DWORD access, DWORD share, DWORD disposition, DWORD flags,
                 HANDLE& h) {
  if (DWORD e = enter(Call::open)) return e;
  h = ::CreateFileA(name, access, share, nullptr, disposition, flags, nullptr);
  return h != INVALID_HANDLE_VALUE ? ERROR_SUCCESS : last_error();
}

DWORD sys_file_type(HANDLE h, DWORD& type) {
  if (DWORD e = enter(Call::fstat)) return e;
  ::SetLastError(ERROR_SUCCESS);
  type = ::GetFileType(h);
  // FILE_TYPE_UNKNOWN without an error is a type like any other.
  return type != FILE_TYPE_UNKNOWN ? ERROR_SUCCESS : ::GetLastError();
}

DWORD sys_cut(HANDLE h) {
  if (DWORD e = enter(Call::ftruncate)) return e;
  return ::SetEndOfFile(h) ? ERROR_SUCCESS : last_error();
}

// Whether `name` begins with a drive letter whose drive does not exist.
bool drive_missing(const char* name) {
  char c = name[0];
  bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  if (!letter || name[1] != ':') return false;
  const char root[] = {c, ':', '\\', '\0'};
  return ::GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR;
}

// The diagnostic for an open of `name` that the system refused with `error`. A name on a
// drive that does not exist is refused as a path not found; it is told apart by its drive.
Refusal refusal_for(DWORD error, const char* name) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return drive_missing(name) ? Refusal{42, 0} : Refusal{29, 0};
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return {9, 0};
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return {42, 0};
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BAD_PATHNAME:
      return {43, 0};
    case ERROR_TOO_MANY_OPEN_FILES:
      return {30, 0};
    default:
      return {30, static_cast<int>(error)};
  }
}

// Gives up a handle that an open could not complete, and passes the refusal on.
Refusal abandon(HANDLE h, Refusal refusal) {
  ::CloseHandle(h);
  return refusal;
}

// Numbers an opened handle: the first free descriptor from 3 on.
Refusal keep(HANDLE h, Descriptor& descriptor) {
  for (int d = kStandardError + 1; d < kDescriptors; ++d) {
    HANDLE free_slot = nullptr;
    if (opened[d].compare_exchange_strong(free_slot, h)) {
      descriptor = d;
      return {};
    }
  }
  return abandon(h, {30, 0});  // too many files open: no system text
}

void (*interrupt_handler)(Interrupt) = nullptr;

}  // namespace

namespace win32 {

BOOL WINAPI console_event(DWORD type) {
  Interrupt event;
  switch (type) {
    case CTRL_C_EVENT:
      event = Interrupt::control_c;
      break;
    case CTRL_BREAK_EVENT:
      event = Interrupt::control_break;
      break;
    case CTRL_CLOSE_EVENT:
      event = Interrupt::window_close;
      break;
    default:
      return FALSE;  // logging off, shutting down: the system's own handling
  }
  if (interrupt_handler == nullptr) return FALSE;
  interrupt_handler(event);
  // The handler returns only when another end is under way: that end ends the process,
  // and the event must not end it first with the system's status.
  wait_for_end();
}

}  // namespace win32

void prepare_process() {
  // A drive without its medium fails the open instead of asking the operator in a dialog.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  for (int d = kStandardInput; d <= kStandardOutput; ++d)
    started_on_console[d] = is_console(handle_of(d));
}

Refusal open_for_reading(const char* name, Descriptor& descriptor) {
  // Shared for reading only: while the run holds the file, no one can open it for writing,
  // and the open fails when someone holds it open for writing already.
  HANDLE h = INVALID_HANDLE_VALUE;
  if (DWORD e = sys_create(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, h)) {
    return refusal_for(e, name);
  }
  return keep(h, descriptor);
}

Refusal open_for_replacing(const char* name, Descriptor, Descriptor& descriptor) {
  // Opened without truncation and cut only once the file is ours. The share modes keep
  // every other writer out, and the file held as unit 1 (shared for reading only) is
  // refused with a sharing violation before anything is changed.
  HANDLE h = INVALID_HANDLE_VALUE;
  if (DWORD e =
          sys_create(name, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, h)) {
    return refusal_for(e, name);
  }
  DWORD type = FILE_TYPE_UNKNOWN;
  if (DWORD e = sys_file_type(h, type)) return abandon(h, {30, static_cast<int>(e)});
  // A console, a printer port or a pipe is written as it is.
  if (type == FILE_TYPE_DISK) {
    if (DWORD e = sys_cut(h)) return abandon(h, {38, static_cast<int>(e)});
  }
  return keep(h, descriptor);
}

int read_some(Descriptor descriptor, char* buffer, std::size_t capacity, std::size_t& got) {
  got = 0;
  DWORD ask = capacity > MAXDWORD ? MAXDWORD : static_cast<DWORD>(capacity);
  for (;;) {
    if (DWORD e = enter(Call::read)) return static_cast<int>(e);
    HANDLE h = handle_of(descriptor);
    DWORD n = 0;
    BOOL ok = ::ReadFile(h, buffer, ask, &n, nullptr);
    DWORD e = ok ? ERROR_SUCCESS : last_error();
    // A console read that control-C cut short comes back aborted or empty before the
    // handler runs; give the event its moment, then read again after an abort, as after
    // an interrupted read on POSIX.
    bool console = descriptor == kStandardInput && started_on_console[kStandardInput];
    if (console && (e == ERROR_OPERATION_ABORTED || (ok && n == 0))) {
      ::Sleep(kControlCGraceMs);
      if (e == ERROR_OPERATION_ABORTED) continue;
    }
    if (!ok) return static_cast<int>(e);
    got = n;
    return 0;
  }
}

int write_all(Descriptor descriptor, const char* bytes, std::size_t length) {
  while (length > 0) {
    if (DWORD e = enter(Call::write)) return static_cast<int>(e);
    DWORD ask = length > (1u << 30) ? (1u << 30) : static_cast<DWORD>(length);
    DWORD n = 0;
    if (!::WriteFile(handle_of(descriptor), bytes, ask, &n, nullptr))
      return static_cast<int>(last_error());
    if (n == 0) return ERROR_WRITE_FAULT;  // a stream that takes nothing would never end
    bytes += n;
    length -= n;
  }
  return 0;
}

int close_descriptor(Descriptor descriptor) {
  DWORD injected = enter(Call::close);
  HANDLE h = descriptor > kStandardError && descriptor < kDescriptors
                 ? opened[descriptor].exchange(nullptr)
                 : handle_of(descriptor);
  BOOL ok = ::CloseHandle(h);
  if (injected) return static_cast<int>(injected);
  return ok ? 0 : static_cast<int>(last_error());
}

const char* error_text(int system_error, char* buffer, std::size_t capacity) {
  DWORD size = capacity > 0xFFFF ? 0xFFFF : static_cast<DWORD>(capacity);
  DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(system_error), 0, buffer, size, nullptr);
  if (n == 0) {
    // No text for the code: "Unknown error" and the code in decimal.
    char digits[16];
    int count = 0;
    unsigned value = static_cast<unsigned>(system_error);
    do {
      digits[count++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0);
    const char prefix[] = "Unknown error ";
    std::size_t length = 0;
    for (const char* p = prefix; *p != '\0' && length + 1 < capacity; ++p) buffer[length++] = *p;
    while (count > 0 && length + 1 < capacity) buffer[length++] = digits[--count];
    if (capacity > 0) buffer[length] = '\0';
    return buffer;
  }
  // The system's text ends in CR LF, and a long one may hold more: each line break
  // becomes one blank, and the blanks at the end go, so that the text ends the line.
  std::size_t length = 0;
  for (DWORD i = 0; i < n; ++i) {
    char c = buffer[i];
    if (c == '\r' || c == '\n') {
      if (length > 0 && buffer[length - 1] != ' ') buffer[length++] = ' ';
    } else {
      buffer[length++] = c;
    }
  }
  while (length > 0 && buffer[length - 1] == ' ') --length;
  buffer[length] = '\0';
  return buffer;
}

bool current_directory(char* buffer, std::size_t capacity) {
  if (enter(Call::getcwd)) return false;
  DWORD size = capacity > MAXDWORD ? MAXDWORD : static_cast<DWORD>(capacity);
  DWORD n = ::GetCurrentDirectoryA(size, buffer);
  return n != 0 && n < size;
}

SystemName system_absolute_name(const char* name, char* buffer, std::size_t capacity,
                                std::size_t& length) {
  if (enter(Call::getcwd)) return SystemName::failed;
  DWORD size = capacity > MAXDWORD ? MAXDWORD : static_cast<DWORD>(capacity);
  DWORD n = ::GetFullPathNameA(name, size, buffer, nullptr);
  if (n == 0 || n >= size) return SystemName::failed;
  length = n;
  return SystemName::formed;
}

bool ends_stream(int system_error) {
  return system_error == ERROR_BROKEN_PIPE || system_error == ERROR_HANDLE_EOF;
}

void start_interrupt_thread(void (*handler)(Interrupt)) {
  // The console calls the routine on a thread of its own for each event. Should the
  // routine not be taken, control-C keeps the system's own handling, which ends the
  // process with the control-C status.
  interrupt_handler = handler;
  ::SetConsoleCtrlHandler(win32::console_event, TRUE);
}

bool terminal_gone(Descriptor descriptor) {
  if (descriptor < kStandardInput || descriptor > kStandardOutput) return false;
  // A console that has gone away no longer answers for its handle.
  return started_on_console[descriptor] && !is_console(handle_of(descriptor));
}

void stop_other_threads() {
  ending_thread = true;
  others_stopped.store(true);
}

void end_process(unsigned status) {
  // Windows passes the whole status on to the caller.
  ::TerminateProcess(::GetCurrentProcess(), status);
  ::ExitProcess(status);
}

void end_after_interrupt(Interrupt event) {
  switch (event) {
    case Interrupt::control_c:
      end_process(kControlCExit);
    case Interrupt::control_break:
      end_process(1);
    case Interrupt::window_close:
      end_process(2);
  }
  end_process(2);
}

void wait_for_end() {
  for (;;) ::Sleep(INFINITE);
}

}  // namespace io::os
