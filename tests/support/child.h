// Test support: temporary folders, files, and runs of a program as a child process with
// its standard streams captured.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);

struct ChildResult {
  std::string out;  // standard output bytes
  std::string err;  // standard error bytes
  int wait_status = 0;
  bool exited() const;
  int exit_code() const;  // low 8 bits of the exit status; -1 when killed by a signal
  int signal() const;     // the signal that ended it, or 0
  long max_rss_kb = 0;    // peak resident memory of the child
};

struct ChildOptions {
  std::string cwd;               // working directory; empty: the test's own
  std::string input;             // bytes on standard input, then end of file
  bool close_stdin = false;      // run with descriptor 0 not open
  bool close_stdout = false;     // run with descriptor 1 not open
  bool stdout_unread = false;    // standard output a pipe with no reader: writes meet EPIPE
  std::string stdout_path;       // when set, standard output goes to this file
  std::vector<std::string> env;  // extra NAME=VALUE entries
};

// Runs `argv` (argv[0] is the program path) and waits for it.
ChildResult run_child(const std::vector<std::string>& argv, const ChildOptions& options);

// The tool under test, as built beside the tests (set by CMake), or EEI2CSV_BINARY.
std::string tool_path();

// The program that runs the tool under test, from EEI2CSV_LAUNCHER (an absolute path: Wine
// for the Windows build, whose eei2csv.exe is then EEI2CSV_BINARY); empty when the tool runs
// by itself.
std::string tool_launcher();

// The command that runs `argv`: the tool launcher before it when argv[0] is the tool.
std::vector<std::string> launch_command(const std::vector<std::string>& argv);

}  // namespace testing_support
