// The platform layer on POSIX (Linux). Each system call goes through the fault seam first,
// so that a test can make its n-th use fail; interrupted calls are repeated, except close.
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "io/fault.h"
#include "io/os.h"

namespace io::os {
namespace {

using fault::Call;

// Set once an end of the run has stopped every thread but its own (stop_other_threads).
std::atomic<bool> others_stopped{false};
thread_local bool ending_thread = false;

// The way in of every system call: a thread that an end has stopped waits here for the
// process to end, so that nothing it does reaches the system after the end has begun;
// then the fault seam may make the call fail.
int enter(Call call) {
  if (others_stopped.load() && !ending_thread) wait_for_end();
  return fault::take(call);
}

// Whether the console streams were terminals when the run began.
bool started_on_terminal[2] = {false, false};

int sys_open(const char* name, int flags, mode_t mode = 0) {
  for (;;) {
    if (int e = enter(Call::open)) {
      errno = e;
      return -1;
    }
    int fd = ::open(name, flags, mode);
    if (fd >= 0 || errno != EINTR) return fd;
  }
}

int sys_fstat(int fd, struct stat& st) {
  if (int e = enter(Call::fstat)) return e;
  return ::fstat(fd, &st) == 0 ? 0 : errno;
}

int sys_flock(int fd, int operation) {
  for (;;) {
    if (int e = enter(Call::flock)) return e;
    if (::flock(fd, operation) == 0) return 0;
    if (errno != EINTR) return errno;
  }
}

int sys_ftruncate(int fd) {
  for (;;) {
    if (int e = enter(Call::ftruncate)) return e;
    if (::ftruncate(fd, 0) == 0) return 0;
    if (errno != EINTR) return errno;
  }
}

// The diagnostic for an open that the system refused with `error`.
Refusal refusal_for(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return {29, 0};
    case EACCES:
    case EPERM:
    case EROFS:
      return {9, 0};
    case ENXIO:
    case ENODEV:
      return {42, 0};
    case ENAMETOOLONG:
      return {43, 0};
    case EMFILE:
    case ENFILE:
      return {30, 0};
    default:
      return {30, error};
  }
}

// Gives up a descriptor that an open could not complete, and passes the refusal on.
Refusal abandon(int fd, Refusal refusal) {
  ::close(fd);
  return refusal;
}

const int kInterruptSignals[] = {SIGINT, SIGQUIT, SIGHUP};

// The interrupt signals that the run takes: those its caller has not set to be ignored.
// A run started under nohup, or in the background of a script, keeps ignoring them.
sigset_t taken_signals;

sigset_t interrupt_set() {
  return taken_signals;
}

void (*interrupt_handler)(Interrupt) = nullptr;

void* take_interrupts(void*) {
  sigset_t set = interrupt_set();
  for (;;) {
    int signal_number = 0;
    if (sigwait(&set, &signal_number) != 0) continue;
    switch (signal_number) {
      case SIGINT:
        interrupt_handler(Interrupt::control_c);
        break;
      case SIGQUIT:
        interrupt_handler(Interrupt::control_break);
        break;
      case SIGHUP:
        interrupt_handler(Interrupt::window_close);
        break;
    }
  }
  return nullptr;
}

}  // namespace

void prepare_process() {
  for (int fd = 0; fd <= 1; ++fd) started_on_terminal[fd] = ::isatty(fd) == 1;

  // A standard descriptor that is not open is held by an O_PATH descriptor: every read or
  // write on it fails as on a closed one, and no file opened later can take its number
  // (a report file opened as descriptor 2 would receive the diagnostics).
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    int held = ::open("/", O_PATH);
    if (held >= 0 && held != fd) {
      ::dup2(held, fd);
      ::close(held);
    }
  }

  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, nullptr);

  sigemptyset(&taken_signals);
  for (int s : kInterruptSignals) {
    struct sigaction current {};
    if (::sigaction(s, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    sigaddset(&taken_signals, s);
  }
  sigset_t set = interrupt_set();
  ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

Refusal open_for_reading(const char* name, Descriptor& descriptor) {
  int fd = sys_open(name, O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return refusal_for(errno);
  struct stat st;
  if (int e = sys_fstat(fd, st)) return abandon(fd, {30, e});
  if (S_ISDIR(st.st_mode)) return abandon(fd, {30, EISDIR});
  if (S_ISREG(st.st_mode)) {
    if (int e = sys_flock(fd, LOCK_SH | LOCK_NB)) return abandon(fd, {30, e});
  }
  descriptor = fd;
  return {};
}

Refusal open_for_replacing(const char* name, Descriptor held, Descriptor& descriptor) {
  // Opened without truncation: the old contents are cut only once the file is ours.
  int fd = sys_open(name, O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return refusal_for(errno);
  struct stat st;
  if (int e = sys_fstat(fd, st)) return abandon(fd, {30, e});
  if (S_ISREG(st.st_mode)) {
    if (int e = sys_flock(fd, LOCK_EX | LOCK_NB)) return abandon(fd, {30, e});
    struct stat held_st;
    if (held != kNoDescriptor && sys_fstat(held, held_st) == 0 && held_st.st_dev == st.st_dev &&
        held_st.st_ino == st.st_ino) {
      return abandon(fd, {30, EWOULDBLOCK});
    }
    if (int e = sys_ftruncate(fd)) return abandon(fd, {38, e});
  }
  descriptor = fd;
  return {};
}

int read_some(Descriptor descriptor, char* buffer, std::size_t capacity, std::size_t& got) {
  got = 0;
  for (;;) {
    if (int e = enter(Call::read)) return e;
    ssize_t n = ::read(descriptor, buffer, capacity);
    if (n >= 0) {
      got = static_cast<std::size_t>(n);
      return 0;
    }
    if (errno != EINTR) return errno;
  }
}

// Hot: on the path of every report line (see io::file_line_output).
[[gnu::hot]] int write_all(Descriptor descriptor, const char* bytes, std::size_t length) {
  while (length > 0) {
    if (int e = enter(Call::write)) return e;
    ssize_t n = ::write(descriptor, bytes, length);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes += n;
    length -= static_cast<std::size_t>(n);
  }
  return 0;
}

int close_descriptor(Descriptor descriptor) {
  if (int e = enter(Call::close)) {
    ::close(descriptor);
    return e;
  }
  return ::close(descriptor) == 0 ? 0 : errno;
}

const char* error_text(int system_error, char* buffer, std::size_t capacity) {
  // The GNU strerror_r: returns the text, in `buffer` or in static storage.
  return ::strerror_r(system_error, buffer, capacity);
}

bool current_directory(char* buffer, std::size_t capacity) {
  if (enter(Call::getcwd)) return false;
  return ::getcwd(buffer, capacity) != nullptr;
}

SystemName system_absolute_name(const char*, char*, std::size_t, std::size_t&) {
  return SystemName::not_offered;
}

bool ends_stream(int) {
  return false;
}

void start_interrupt_thread(void (*handler)(Interrupt)) {
  interrupt_handler = handler;
  if (sigisemptyset(&taken_signals)) return;  // every interrupt signal is ignored
  pthread_t thread;
  pthread_attr_t attributes;
  ::pthread_attr_init(&attributes);
  ::pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  int failed = ::pthread_create(&thread, &attributes, take_interrupts, nullptr);
  ::pthread_attr_destroy(&attributes);
  if (failed) {
    // No thread to take the events: let the signals act by default rather than be lost.
    sigset_t set = interrupt_set();
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  }
}

bool terminal_gone(Descriptor descriptor) {
  if (descriptor < 0 || descriptor > 1 || !started_on_terminal[descriptor]) return false;
  if (sigismember(&taken_signals, SIGHUP) != 1) return false;  // hang-ups are ignored
  // A terminal whose other side has closed reports a hang-up, and from then on every read
  // and write on it fails or finds the end.
  pollfd query{descriptor, POLLIN, 0};
  return ::poll(&query, 1, 0) == 1 && (query.revents & POLLHUP) != 0;
}

void stop_other_threads() {
  ending_thread = true;
  others_stopped.store(true);
}

void end_process(unsigned status) {
  ::_exit(static_cast<int>(status));
}

void end_after_interrupt(Interrupt event) {
  switch (event) {
    case Interrupt::control_c: {
      // End as killed by SIGINT: default action back, then the signal raised on this
      // thread and unblocked, so that it is delivered at once.
      struct sigaction fallback {};
      fallback.sa_handler = SIG_DFL;
      sigemptyset(&fallback.sa_mask);
      ::sigaction(SIGINT, &fallback, nullptr);
      ::raise(SIGINT);
      sigset_t set;
      sigemptyset(&set);
      sigaddset(&set, SIGINT);
      ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
      ::_exit(128 + SIGINT);
    }
    case Interrupt::control_break:
      ::_exit(1);
    case Interrupt::window_close:
      ::_exit(2);
  }
  ::_exit(2);
}

void wait_for_end() {
  for (;;) ::pause();
}

}  // namespace io::os
