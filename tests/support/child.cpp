#include "support/child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace testing_support {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "eei2csv-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool file_exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool ChildResult::exited() const {
  return WIFEXITED(wait_status);
}
int ChildResult::exit_code() const {
  return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
}
int ChildResult::signal() const {
  return WIFSIGNALED(wait_status) ? WTERMSIG(wait_status) : 0;
}

ChildResult run_child(const std::vector<std::string>& argv, const ChildOptions& options) {
  int in[2], out[2], err[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) throw std::runtime_error("pipe");
  if (options.stdout_unread) {
    // Closed before the fork, so that no process holds the read end when the child writes.
    ::close(out[0]);
    out[0] = -1;
  }
  std::vector<std::string> env_strings;
  for (char** e = environ; *e != nullptr; ++e) env_strings.emplace_back(*e);
  for (const auto& e : options.env) env_strings.push_back(e);
  std::vector<char*> env_ptrs, arg_ptrs;
  for (auto& e : env_strings) env_ptrs.push_back(e.data());
  env_ptrs.push_back(nullptr);
  std::vector<std::string> args = launch_command(argv);
  for (auto& a : args) arg_ptrs.push_back(a.data());
  arg_ptrs.push_back(nullptr);

  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    ::signal(SIGPIPE, SIG_DFL);
    if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) ::_exit(125);
    ::dup2(in[0], 0);
    if (options.stdout_path.empty()) {
      ::dup2(out[1], 1);
    } else {
      int fd = ::open(options.stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(fd, 1);
      ::close(fd);
    }
    ::dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
      if (fd >= 0) ::close(fd);
    if (options.close_stdin) ::close(0);
    if (options.close_stdout) ::close(1);
    ::execve(arg_ptrs[0], arg_ptrs.data(), env_ptrs.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);

  ChildResult result;
  std::size_t written = 0;
  int in_fd = in[1];
  ::fcntl(in_fd, F_SETFL, O_NONBLOCK);
  if (options.input.empty()) {
    ::close(in_fd);
    in_fd = -1;
  }
  bool out_open = out[0] >= 0, err_open = true;
  char buffer[65536];
  while (out_open || err_open) {
    pollfd fds[3];
    int n = 0;
    if (out_open) fds[n++] = {out[0], POLLIN, 0};
    if (err_open) fds[n++] = {err[0], POLLIN, 0};
    if (in_fd >= 0) fds[n++] = {in_fd, POLLOUT, 0};
    if (::poll(fds, n, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < n; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == in_fd) {
        ssize_t w = ::write(in_fd, options.input.data() + written, options.input.size() - written);
        if (w > 0) written += static_cast<std::size_t>(w);
        if (w < 0 || written == options.input.size()) {
          ::close(in_fd);
          in_fd = -1;
        }
        continue;
      }
      ssize_t r = ::read(fds[i].fd, buffer, sizeof buffer);
      if (r <= 0) {
        if (fds[i].fd == out[0])
          out_open = false;
        else
          err_open = false;
        continue;
      }
      (fds[i].fd == out[0] ? result.out : result.err).append(buffer, static_cast<std::size_t>(r));
    }
  }
  if (in_fd >= 0) ::close(in_fd);
  if (out[0] >= 0) ::close(out[0]);
  ::close(err[0]);
  struct rusage usage {};
  while (::wait4(pid, &result.wait_status, 0, &usage) < 0 && errno == EINTR) {
  }
  result.max_rss_kb = usage.ru_maxrss;
  return result;
}

std::string tool_path() {
  const char* path = std::getenv("EEI2CSV_BINARY");
  return path != nullptr ? path : EEI2CSV_DEFAULT_BINARY;
}

std::string tool_launcher() {
  const char* launcher = std::getenv("EEI2CSV_LAUNCHER");
  return launcher != nullptr ? launcher : "";
}

std::vector<std::string> launch_command(const std::vector<std::string>& argv) {
  std::vector<std::string> command = argv;
  std::string launcher = tool_launcher();
  if (!launcher.empty() && !argv.empty() && argv[0] == tool_path()) {
    command.insert(command.begin(), launcher);
  }
  return command;
}

}  // namespace testing_support
