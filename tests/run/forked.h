// Runs a piece of the engine that ends the process (every end of a run calls _exit) in a
// forked child of the test, so that the test can look at what it left behind: files, or
// memory shared with the child.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace run_tests {

struct ForkedEnd {
  int exit_code = -1;  // -1 when the child did not exit by itself
  std::string err;     // what the child wrote on standard error
};

template <class Body>
ForkedEnd run_forked(Body body) {
  int err[2];
  if (::pipe(err) != 0) return {};
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(err[1], 2);
    ::close(err[0]);
    ::close(err[1]);
    body();
    ::_exit(125);  // the body was expected to end the process
  }
  ::close(err[1]);
  ForkedEnd end;
  char buffer[4096];
  for (ssize_t n; (n = ::read(err[0], buffer, sizeof buffer)) > 0;) {
    end.err.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(err[0]);
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    end.exit_code = WEXITSTATUS(status);
  }
  return end;
}

}  // namespace run_tests
