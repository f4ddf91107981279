// A run of the tool that the test talks to while it runs: it waits for a prompt, types,
// sends signals or hangs up the terminal, and then collects how the run ended. Standard
// input and output are pipes, or a pseudo-terminal that is the run's controlling terminal;
// standard error is always a pipe of its own.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "support/child.h"

namespace faults {

struct LiveOptions {
  std::string cwd;
  std::vector<std::string> env;  // extra NAME=VALUE entries
  bool on_terminal = false;      // standard input and output on a new pseudo-terminal
};

class LiveChild {
 public:
  static constexpr int kPatienceMs = 30000;

  LiveChild(const std::vector<std::string>& argv, const LiveOptions& options) {
    int err[2];
    if (::pipe2(err, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    int in[2] = {-1, -1}, out[2] = {-1, -1};
    std::string slave;
    if (options.on_terminal) {
      master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
      if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        throw std::runtime_error("pseudo-terminal");
      }
      slave = ::ptsname(master_);
    } else {
      if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
      }
    }
    std::vector<std::string> args = testing_support::launch_command(argv), env;
    for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
    for (const auto& e : options.env) env.push_back(e);
    std::vector<char*> arg_ptrs, env_ptrs;
    for (auto& a : args) arg_ptrs.push_back(a.data());
    arg_ptrs.push_back(nullptr);
    for (auto& e : env) env_ptrs.push_back(e.data());
    env_ptrs.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
      ::signal(SIGPIPE, SIG_DFL);
      sigset_t none;
      sigemptyset(&none);
      ::sigprocmask(SIG_SETMASK, &none, nullptr);
      if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) ::_exit(125);
      if (options.on_terminal) {
        // A session of its own, with the terminal as its controlling terminal: the
        // terminal's keys and its hang-up signal reach the run as they reach a shell's job.
        ::setsid();
        int fd = ::open(slave.c_str(), O_RDWR);
        if (fd < 0) ::_exit(126);
        ::dup2(fd, 0);
        ::dup2(fd, 1);
        if (fd > 1) ::close(fd);
      } else {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
      }
      ::dup2(err[1], 2);
      ::close_range(3, ~0U, 0);  // nothing else of the test's reaches the run
      ::execve(arg_ptrs[0], arg_ptrs.data(), env_ptrs.data());
      ::_exit(127);
    }
    ::close(err[1]);
    err_ = err[0];
    if (options.on_terminal) {
      input_ = master_;
      output_ = master_;
    } else {
      ::close(in[0]);
      ::close(out[1]);
      input_ = in[1];
      output_ = out[0];
    }
  }

  ~LiveChild() {
    if (pid_ > 0 && !reaped_) {
      ::kill(pid_, SIGKILL);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
    for (int fd :
         {input_ == master_ ? -1 : input_, output_ == master_ ? -1 : output_, master_, err_}) {
      if (fd >= 0) ::close(fd);
    }
  }

  LiveChild(const LiveChild&) = delete;
  LiveChild& operator=(const LiveChild&) = delete;

  pid_t pid() const { return pid_; }
  const std::string& out() const { return out_; }
  const std::string& err() const { return err_text_; }

  // Reads standard output (the terminal) until it holds `text`; false on timeout or when
  // the output ends first.
  bool wait_for_output(std::string_view text) {
    long deadline = now_ms() + kPatienceMs;
    while (out_.find(text) == std::string::npos) {
      if (output_ < 0 || now_ms() > deadline) return false;
      if (!pump(100)) return out_.find(text) != std::string::npos;
    }
    return true;
  }

  // Waits until the file at `path` has at least `bytes` bytes, reading the output
  // meanwhile; false on timeout.
  bool wait_for_file_size(const std::string& path, long bytes) {
    long deadline = now_ms() + kPatienceMs;
    for (;;) {
      struct stat st;
      if (::stat(path.c_str(), &st) == 0 && st.st_size >= bytes) return true;
      if (now_ms() > deadline) return false;
      pump(1);
    }
  }

  void type(std::string_view bytes) {
    while (!bytes.empty()) {
      ssize_t n = ::write(input_, bytes.data(), bytes.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        throw std::runtime_error("typing");
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }

  void send(int signal_number) { ::kill(pid_, signal_number); }

  // Closes the master side of the terminal: the terminal is hung up.
  void hang_up() {
    ::close(master_);
    if (input_ == master_) input_ = -1;
    if (output_ == master_) output_ = -1;
    master_ = -1;
  }

  // Reads standard output and standard error to their ends and waits for the process.
  // A run that does not end within the patience is killed and reported so.
  testing_support::ChildResult finish() {
    long deadline = now_ms() + kPatienceMs;
    while ((output_ >= 0 || err_ >= 0) && now_ms() <= deadline) pump(100);
    testing_support::ChildResult result;
    if (output_ >= 0 || err_ >= 0) ::kill(pid_, SIGKILL);
    struct rusage usage {};
    while (::wait4(pid_, &result.wait_status, 0, &usage) < 0 && errno == EINTR) {
    }
    reaped_ = true;
    result.max_rss_kb = usage.ru_maxrss;
    result.out = out_;
    result.err = err_text_;
    return result;
  }

 private:
  static long now_ms() {
    timespec t;
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000L + t.tv_nsec / 1000000L;
  }

  // Takes what is waiting on standard output and standard error, waiting up to
  // `timeout_ms`. Returns false once both have ended.
  bool pump(int timeout_ms) {
    pollfd fds[2];
    int n = 0;
    if (output_ >= 0) fds[n++] = {output_, POLLIN, 0};
    if (err_ >= 0) fds[n++] = {err_, POLLIN, 0};
    if (n == 0) return false;
    if (::poll(fds, static_cast<nfds_t>(n), timeout_ms) <= 0) return true;
    for (int i = 0; i < n; ++i) {
      if (fds[i].revents == 0) continue;
      char buffer[65536];
      ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      bool is_output = fds[i].fd == output_;
      if (got <= 0) {
        // The end of a pipe, or EIO once the terminal's last user has gone.
        if (is_output) {
          if (output_ != master_) ::close(output_);
          output_ = -1;
        } else {
          ::close(err_);
          err_ = -1;
        }
        continue;
      }
      (is_output ? out_ : err_text_).append(buffer, static_cast<std::size_t>(got));
    }
    return output_ >= 0 || err_ >= 0;
  }

  pid_t pid_ = -1;
  bool reaped_ = false;
  int master_ = -1;
  int input_ = -1;
  int output_ = -1;
  int err_ = -1;
  std::string out_;
  std::string err_text_;
};

}  // namespace faults
