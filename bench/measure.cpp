// Runs one program as a child and reports what it cost:
//
//   measure INPUT DIR PROGRAM [ARGS...]
//
// runs PROGRAM in the working directory DIR with standard input from the file INPUT and
// standard output to /dev/null, and prints one line on standard output:
//
//   wall_s user_s sys_s max_rss_kb exit_status
//
// Wall time is taken on the monotonic clock from just before the fork to the wait's
// return; user, system time and peak resident memory come from the child's rusage.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

namespace {

double seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

double now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s INPUT DIR PROGRAM [ARGS...]\n", argv[0]);
    return 2;
  }
  double start = now();
  pid_t child = fork();
  if (child == 0) {
    int in = open(argv[1], O_RDONLY);
    int out = open("/dev/null", O_WRONLY);
    if (in < 0 || out < 0 || chdir(argv[2]) != 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    close(in);
    close(out);
    execv(argv[3], argv + 3);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) {
    std::perror("measure");
    return 2;
  }
  double wall = now() - start;
  int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::printf("%.6f %.6f %.6f %ld %d\n", wall, seconds(usage.ru_utime), seconds(usage.ru_stime),
              usage.ru_maxrss, code);
  return 0;
}
