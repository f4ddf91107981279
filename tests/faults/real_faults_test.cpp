// Faults that the system itself produces, no seam involved: standard input not open, too
// many open files, files locked by another process, and EEI names that designate a
// folder, a socket or a FIFO.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "faults/faults_support.h"
#include "faults/live_child.h"
#include "support/child.h"

namespace {

using faults::dialogue;
using faults::expect_diagnostics;
using faults::real_path;
using faults::report_prefix;
using testing_support::ChildOptions;
using testing_support::file_exists;
using testing_support::read_file;
using testing_support::run_child;
using testing_support::TempDir;
using testing_support::tool_path;
using testing_support::write_file;

constexpr int kPairs = 3;
const std::string kOldReport = "an older report\r\n";

ChildOptions in_folder(const TempDir& dir, const std::string& typed) {
  ChildOptions options;
  options.cwd = dir.path();
  options.input = typed;
  return options;
}

TEST(RealFaults, StandardInputNotOpen) {
  TempDir dir;
  ChildOptions options = in_folder(dir, "");
  options.close_stdin = true;
  auto result = run_child({tool_path()}, options);
  expect_diagnostics(result.err, {"eei2csv: Bad file descriptor",
                                  "eei2csv: severe (39): error during read, unit 5, file CONIN$"});
  EXPECT_EQ(result.exit_code(), 39);
  EXPECT_EQ(result.out, dialogue("", "", 2));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// The lowest descriptor number that process `pid` has free: the one its next open takes.
int lowest_free_descriptor(pid_t pid) {
  std::string folder = "/proc/" + std::to_string(pid) + "/fd/";
  int fd = 0;
  while (file_exists(folder + std::to_string(fd))) ++fd;
  return fd;
}

// The open files limit is lowered once the run waits at its first prompt (the loader
// itself needs descriptors to start the program): to the descriptor that the EEI file
// would take, or to one more, so that only the report finds none.
TEST(RealFaults, TooManyOpenFiles) {
  struct Row {
    int more;  // descriptors allowed past those already open
    int unit;
    std::string file;
    std::size_t console_lines;
  } rows[] = {
      {0, 1, "cards.eei", 3},
      {1, 3, "report.csv", 5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    TempDir dir;
    std::string eei = faults::eei_file(kPairs);
    write_file(dir.file("cards.eei"), eei);
    faults::LiveOptions options;
    options.cwd = dir.path();
    faults::LiveChild child({tool_path()}, options);
    ASSERT_TRUE(child.wait_for_output("EEI FILE"));
    rlim_t allowed = static_cast<rlim_t>(lowest_free_descriptor(child.pid()) + row.more);
    rlimit limit{allowed, allowed};
    ASSERT_EQ(::prlimit(child.pid(), RLIMIT_NOFILE, &limit, nullptr), 0) << std::strerror(errno);
    child.type("cards.eei\nreport.csv\n");
    auto result = child.finish();
    expect_diagnostics(result.err,
                       {"eei2csv: severe (30): open failure, unit " + std::to_string(row.unit) +
                        ", file " + real_path(dir.path()) + "/" + row.file});
    EXPECT_EQ(result.exit_code(), 30);
    EXPECT_EQ(result.out, dialogue("cards.eei", "report.csv", row.console_lines));
    EXPECT_FALSE(file_exists(dir.file("report.csv")));
    EXPECT_EQ(read_file(dir.file("cards.eei")), eei);
  }
}

// Another process holds a lock on one of the files: a reader on the report (nobody may
// write it), a writer on the EEI file (nobody may read it).
TEST(RealFaults, FileLockedByAnotherProcess) {
  struct Row {
    const char* locked;
    int lock;
    int unit;
    std::size_t console_lines;
  } rows[] = {
      {"report.csv", LOCK_SH, 3, 5},
      {"cards.eei", LOCK_EX, 1, 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.locked);
    TempDir dir;
    std::string eei = faults::eei_file(kPairs);
    write_file(dir.file("cards.eei"), eei);
    write_file(dir.file("report.csv"), kOldReport);
    int holder = ::open(dir.file(row.locked).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, row.lock), 0);

    auto result = run_child({tool_path()}, in_folder(dir, "cards.eei\nreport.csv\n"));
    ::close(holder);
    expect_diagnostics(result.err,
                       {"eei2csv: Resource temporarily unavailable",
                        "eei2csv: severe (30): open failure, unit " + std::to_string(row.unit) +
                            ", file " + real_path(dir.path()) + "/" + row.locked});
    EXPECT_EQ(result.exit_code(), 30);
    EXPECT_EQ(result.out, dialogue("cards.eei", "report.csv", row.console_lines));
    EXPECT_EQ(read_file(dir.file("report.csv")), kOldReport);
    EXPECT_EQ(read_file(dir.file("cards.eei")), eei);
  }
}

// EEI names that designate something other than a file to read.
TEST(RealFaults, EeiNameThatIsNotAFile) {
  struct Row {
    std::string name;
    std::vector<std::string> diagnostics;  // "@" stands for the folder
    int status;
  } rows[] = {
      {"cards.eei",
       {"eei2csv: Is a directory", "eei2csv: severe (30): open failure, unit 1, file @"},
       30},
      {"socket", {"eei2csv: severe (42): no such device, unit 1, file @"}, 42},
      {"plain.eei/cards.eei", {"eei2csv: severe (29): file not found, unit 1, file @"}, 29},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    std::filesystem::create_directory(dir.file("cards.eei"));
    write_file(dir.file("plain.eei"), faults::eei_file(kPairs));
    int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string socket_path = dir.file("socket");
    ASSERT_LT(socket_path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    auto result = run_child({tool_path()}, in_folder(dir, row.name + "\nreport.csv\n"));
    ::close(listener);
    std::vector<std::string> expected;
    for (std::string line : row.diagnostics) {
      std::size_t at = line.find('@');
      if (at != std::string::npos) line.replace(at, 1, real_path(dir.path()) + "/" + row.name);
      expected.push_back(line);
    }
    expect_diagnostics(result.err, expected);
    EXPECT_EQ(result.exit_code(), row.status);
    EXPECT_EQ(result.out, dialogue(row.name, "", 3));
    EXPECT_FALSE(file_exists(dir.file("report.csv")));
  }
}

// A FIFO whose writer sends an EEI file converts as the file itself would: the bytes come
// in pieces of whatever size the pipe hands over.
TEST(RealFaults, EeiFromAFifoConvertsLikeAFile) {
  constexpr int kManyPairs = 2000;  // several times what the pipe holds
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("cards.eei").c_str(), 0600), 0);
  std::string eei = faults::eei_file(kManyPairs);
  std::thread writer([&] {
    // Waits for the run to open its end; gives up after a while rather than hang.
    int fd = -1;
    for (int tries = 0; tries < 20000 && fd < 0; ++tries) {
      fd = ::open(dir.file("cards.eei").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd < 0) {
        timespec pause{0, 1000000};
        ::nanosleep(&pause, nullptr);
      }
    }
    if (fd < 0) return;
    ::fcntl(fd, F_SETFL, 0);
    std::size_t written = 0;
    while (written < eei.size()) {
      ssize_t n = ::write(fd, eei.data() + written, eei.size() - written);
      if (n <= 0) break;
      written += static_cast<std::size_t>(n);
    }
    ::close(fd);
  });
  auto result = run_child({tool_path()}, in_folder(dir, "cards.eei\nreport.csv\n"));
  writer.join();
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.exit_code(), 0);
  EXPECT_EQ(result.out, dialogue("cards.eei", "report.csv", 6));
  EXPECT_EQ(read_file(dir.file("report.csv")), report_prefix(kManyPairs, 1 + kManyPairs * 24));
}

}  // namespace
