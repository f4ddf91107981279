// Shared by the fuzz targets. Every end of a run leaves the process through _exit; the
// targets are linked with -Wl,--wrap=_exit, so that an end nobody expected (a fatal
// diagnostic the target did not foresee) aborts and libFuzzer keeps the input. A target
// that means to see an end, in a forked child, says so first.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" [[noreturn]] void __real__exit(int status);

namespace fuzz {

inline bool end_expected = false;

// Runs `body` in a child that is expected to end the process; returns its wait status
// and what it wrote on standard error.
template <class Body>
int run_to_end(Body body, std::string& err) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) std::abort();
  pid_t pid = ::fork();
  if (pid < 0) std::abort();
  if (pid == 0) {
    end_expected = true;
    ::dup2(pipe_fds[1], 2);
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
    body();
    __real__exit(99);  // the body returned: no end came
  }
  ::close(pipe_fds[1]);
  err.clear();
  char buffer[4096];
  // libFuzzer's timer interrupts reads now and then: a read cut short is repeated, or
  // the child would meet a closed pipe.
  for (;;) {
    ssize_t n = ::read(pipe_fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    err.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(pipe_fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

// Whether this input also takes the slow check of an end in a forked child: one input in
// `one_in`, chosen by the input's bytes, so that a run of the target stays fast and every
// input is checked the same way each time it is run.
inline bool sampled(const std::uint8_t* data, std::size_t size, unsigned one_in) {
  std::uint32_t hash = 2166136261u;
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  return hash % one_in == 0;
}

// Aborts with a message: libFuzzer reports the input as a crash.
[[noreturn]] inline void fail(const char* what, const std::string& detail = {}) {
  std::fprintf(stderr, "fuzz check failed: %s\n%s\n", what, detail.c_str());
  std::abort();
}

}  // namespace fuzz

extern "C" [[noreturn]] void __wrap__exit(int status) {
  if (!fuzz::end_expected) {
    std::fprintf(stderr, "the run ended with status %d where the target expected no end\n", status);
    std::abort();
  }
  __real__exit(status);
}
