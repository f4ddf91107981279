// The read open and the replace open: refusals end the run with their diagnostic, a
// successful replace open empties the file. Each open runs in a death-test child.
#include "io/file_open.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "io/connections.h"
#include "io/report_output.h"
#include "io/termination.h"
#include "support/child.h"

namespace {

using testing_support::file_exists;
using testing_support::read_file;
using testing_support::write_file;

// A temporary folder that a death-test child shares with its test: the threadsafe style runs
// the test body again in a new process, which finds the folder's path in the environment.
class SharedDir {
 public:
  SharedDir() {
    if (const char* inherited = std::getenv(kVariable)) {
      path_ = inherited;
      return;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "eei2csv-open-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    ::setenv(kVariable, path_.c_str(), 1);
    owner_ = true;
  }
  ~SharedDir() {
    if (!owner_) return;
    ::unsetenv(kVariable);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  SharedDir(const SharedDir&) = delete;
  SharedDir& operator=(const SharedDir&) = delete;

  std::string file(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  static constexpr const char* kVariable = "EEI2CSV_OPEN_TEST_DIR";
  std::string path_;
  bool owner_ = false;
};

class OpenDeathTest : public testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_FALSE(dir_.path().empty());
  }
  SharedDir dir_;
};

// Writes a file of the test once: the death-test child, running the body again, finds it
// there and leaves it as the test made it.
void write_once(const std::string& path, const std::string& bytes) {
  if (!file_exists(path)) write_file(path, bytes);
}

std::string diagnostic(int number, const std::string& message, int unit, const std::string& file) {
  return "eei2csv: severe (" + std::to_string(number) + "): " + message + ", unit " +
         std::to_string(unit) + ", file " + file + "\n";
}

std::string system_text(int error) {
  return std::string("eei2csv: ") + std::strerror(error) + "\n";
}

TEST_F(OpenDeathTest, MissingEeiFile) {
  std::string eei = dir_.file("missing.eei");
  EXPECT_EXIT(io::read_open(io::kEeiUnit, eei), testing::ExitedWithCode(29),
              testing::Eq(diagnostic(29, "file not found", 1, eei) + "eei2csv: in read open\n"));
  std::string in_missing_folder = dir_.file("no/such/folder.eei");
  EXPECT_EXIT(io::read_open(io::kEeiUnit, in_missing_folder), testing::ExitedWithCode(29),
              testing::Eq(diagnostic(29, "file not found", 1, in_missing_folder) +
                          "eei2csv: in read open\n"));
  EXPECT_FALSE(file_exists(eei));
}

TEST_F(OpenDeathTest, MissingFolderForTheReport) {
  std::string report = dir_.file("no/such/report.csv");
  EXPECT_EXIT(
      io::replace_open(io::kReportUnit, report), testing::ExitedWithCode(29),
      testing::Eq(diagnostic(29, "file not found", 3, report) + "eei2csv: in replace open\n"));
  EXPECT_FALSE(file_exists(dir_.file("no")));
}

TEST_F(OpenDeathTest, EeiNameIsAFolder) {
  EXPECT_EXIT(io::read_open(io::kEeiUnit, dir_.path()), testing::ExitedWithCode(30),
              testing::Eq(system_text(EISDIR) + diagnostic(30, "open failure", 1, dir_.path()) +
                          "eei2csv: in read open\n"));
}

// The report name designates the file held as unit 1, under its own name or another
// spelling of it: refused, and the EEI file keeps every byte.
TEST_F(OpenDeathTest, ReportIsTheEeiFile) {
  std::string eei = dir_.file("cards.eei");
  std::string eei_bytes = " 1 213 1\r\n 1 213 2\r\n";
  write_once(eei, eei_bytes);
  std::filesystem::create_directory(dir_.file("sub"));
  for (std::string report : {eei, dir_.file("sub/../cards.eei"), dir_.file("./cards.eei")}) {
    SCOPED_TRACE(report);
    std::string shown = report == dir_.file("./cards.eei") ? eei : report;
    EXPECT_EXIT(
        {
          io::read_open(io::kEeiUnit, eei);
          io::replace_open(io::kReportUnit, report);
        },
        testing::ExitedWithCode(30),
        testing::Eq(system_text(EWOULDBLOCK) + diagnostic(30, "open failure", 3, shown) +
                    "eei2csv: in replace open\n"));
    EXPECT_EQ(read_file(eei), eei_bytes);
  }
}

TEST_F(OpenDeathTest, NameTooLong) {
  // 256 characters in one segment: its absolute form is too long to use, so the name is
  // opened as handed, and the system refuses it.
  std::string name(256, 'n');
  EXPECT_EXIT(io::read_open(io::kEeiUnit, name), testing::ExitedWithCode(43),
              testing::Eq(diagnostic(43, "file name specification error", 1, name) +
                          "eei2csv: in read open\n"));
  EXPECT_EXIT(io::replace_open(io::kReportUnit, name), testing::ExitedWithCode(43),
              testing::Eq(diagnostic(43, "file name specification error", 3, name) +
                          "eei2csv: in replace open\n"));
}

TEST_F(OpenDeathTest, NulInTheName) {
  std::string eei = dir_.file("cards.eei");
  write_once(eei, "");
  std::string handed = eei + std::string(1, '\0') + "x";
  EXPECT_EXIT(io::read_open(io::kEeiUnit, handed), testing::ExitedWithCode(43),
              testing::Eq(diagnostic(43, "file name specification error", 1, eei) +
                          "eei2csv: in read open\n"));
  EXPECT_EXIT(io::replace_open(io::kReportUnit, handed), testing::ExitedWithCode(43),
              testing::Eq(diagnostic(43, "file name specification error", 3, eei) +
                          "eei2csv: in replace open\n"));
}

// A replaced report holds only the lines written after the open.
TEST_F(OpenDeathTest, ReplaceOpenEmptiesTheFile) {
  std::string old_report = dir_.file("old.csv");
  write_once(old_report, std::string(1 << 20, 'o'));
  EXPECT_EXIT(
      {
        io::replace_open(io::kReportUnit, old_report);
        io::file_line_output("MO,DA,YR,HR,LOAD");
        io::normal_stop();
      },
      testing::ExitedWithCode(0), testing::Eq(""));
  EXPECT_EQ(read_file(old_report), "MO,DA,YR,HR,LOAD\r\n");
}

TEST_F(OpenDeathTest, ReplaceOpenCreatesAMissingFile) {
  std::string new_report = dir_.file("new.csv");
  EXPECT_EXIT(
      {
        io::replace_open(io::kReportUnit, new_report);
        io::normal_stop();
      },
      testing::ExitedWithCode(0), testing::Eq(""));
  ASSERT_TRUE(file_exists(new_report));
  EXPECT_EQ(std::filesystem::file_size(new_report), 0u);
}

// A device is opened as it is: /dev/null is not cut to length 0, which would fail.
TEST_F(OpenDeathTest, ReportOnDevNull) {
  EXPECT_EXIT(
      {
        io::replace_open(io::kReportUnit, "/dev/null");
        io::file_line_output("MO,DA,YR,HR,LOAD");
        io::normal_stop();
      },
      testing::ExitedWithCode(0), testing::Eq(""));
}

// Both opens of a run, then the normal stop: the EEI file is left as it was.
TEST_F(OpenDeathTest, ReadOpenChangesNothing) {
  std::string eei = dir_.file("cards.eei");
  write_once(eei, "card\n");
  struct stat before {};
  ASSERT_EQ(::stat(eei.c_str(), &before), 0);
  EXPECT_EXIT(
      {
        io::read_open(io::kEeiUnit, eei);
        io::replace_open(io::kReportUnit, dir_.file("report.csv"));
        io::normal_stop();
      },
      testing::ExitedWithCode(0), testing::Eq(""));
  struct stat after {};
  ASSERT_EQ(::stat(eei.c_str(), &after), 0);
  EXPECT_EQ(read_file(eei), "card\n");
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

}  // namespace
