// The Win32 platform layer on a real Win32 (Wine in CI): the two opens with their share
// modes and the diagnostics of their refusals, the transfers, the names, the end of a
// stream, the console events and the exit statuses.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "io/connections.h"
#include "io/console.h"
#include "io/fault.h"
#include "io/file_name.h"
#include "io/os.h"
#include "io/os_win32.h"
#include "io/termination.h"

namespace {

namespace fs = std::filesystem;
namespace os = io::os;
using io::fault::Call;

// A fresh folder under the temporary folder, removed with everything in it.
class Folder {
 public:
  Folder() {
    static int serial = 0;
    path_ = fs::temp_directory_path() / ("eei2csv-win-" + std::to_string(::GetCurrentProcessId()) +
                                         "-" + std::to_string(++serial));
    fs::create_directories(path_);
  }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::string path() const { return path_.string(); }

 private:
  fs::path path_;
};

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// Opens `name` the way another program would, with `access` and `share`.
HANDLE other_opener(const std::string& name, DWORD access, DWORD share) {
  return ::CreateFileA(name.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// A drive letter with no drive behind it.
std::string missing_drive() {
  DWORD drives = ::GetLogicalDrives();
  for (char letter = 'Y'; letter > 'D'; --letter) {
    if ((drives & (1u << (letter - 'A'))) == 0) return std::string(1, letter) + ":";
  }
  return "";
}

std::string text_of(int system_error) {
  char buffer[256];
  return os::error_text(system_error, buffer, sizeof buffer);
}

class Win32Layer : public testing::Test {
 protected:
  void TearDown() override { io::fault::clear(); }
  Folder folder_;
};

// ---- opens refused by the system ----

struct RefusedOpen {
  const char* what;
  bool replacing;    // the report open, else the EEI open
  std::string name;  // "@" at the start stands for the test's folder
  int number;        // the diagnostic it ends with
};

TEST_F(Win32Layer, RefusedOpensGiveTheirDiagnostics) {
  const std::string drive = missing_drive();
  ASSERT_FALSE(drive.empty());
  fs::create_directory(folder_.file("folder"));
  const std::string long_part(300, 'n');
  const RefusedOpen kRows[] = {
      // The file or a folder on its path does not exist.
      {"missing file", false, "@\\missing.eei", 29},
      {"missing folder", false, "@\\no-folder\\cards.eei", 29},
      {"report in a missing folder", true, "@\\no-folder\\LOADHRS.CSV", 29},
      // The drive does not exist.
      {"missing drive", false, drive + "\\cards.eei", 42},
      {"report on a missing drive", true, drive + "\\LOADHRS.CSV", 42},
      // The name is not a valid file name, or too long.
      {"angle bracket", false, "@\\a<b", 43},
      {"wildcard in a report name", true, "@\\a*b.csv", 43},
      {"quote", false, "@\\a\"b", 43},
      {"name part over 255 characters", true, "@\\" + long_part, 43},
      // A folder is not a file: access is refused.
      {"folder as EEI file", false, "@\\folder", 9},
      {"folder as report", true, "@\\folder", 9},
  };
  for (const RefusedOpen& row : kRows) {
    SCOPED_TRACE(row.what);
    std::string name = row.name[0] == '@' ? folder_.path() + row.name.substr(1) : row.name;
    os::Descriptor d = os::kNoDescriptor;
    os::Refusal refusal = row.replacing ? os::open_for_replacing(name.c_str(), os::kNoDescriptor, d)
                                        : os::open_for_reading(name.c_str(), d);
    EXPECT_EQ(refusal.number, row.number);
    EXPECT_EQ(refusal.system_error, 0) << "these diagnostics show no system text";
    EXPECT_EQ(d, os::kNoDescriptor);
  }
}

// ---- share modes ----

// A report name that designates the file held as unit 1 is refused by the share modes
// alone, before the file is cut.
TEST_F(Win32Layer, ReportOnTheHeldEeiFileIsASharingViolation) {
  const std::string eei = folder_.file("cards.eei");
  write_file(eei, "card one\r\ncard two\r\n");
  os::Descriptor unit1 = os::kNoDescriptor, unit3 = os::kNoDescriptor;
  ASSERT_EQ(os::open_for_reading(eei.c_str(), unit1).number, 0);
  os::Refusal refusal = os::open_for_replacing(eei.c_str(), unit1, unit3);
  EXPECT_EQ(refusal.number, 30);
  EXPECT_EQ(refusal.system_error, ERROR_SHARING_VIOLATION);
  EXPECT_EQ(unit3, os::kNoDescriptor);
  EXPECT_EQ(os::close_descriptor(unit1), 0);
  EXPECT_EQ(read_file(eei), "card one\r\ncard two\r\n");
}

// While the run holds a file, others may read it but not write it; a file that another
// program holds in a way the sharing forbids is refused with the system's text.
TEST_F(Win32Layer, SharingWithOtherOpeners) {
  const std::string eei = folder_.file("cards.eei");
  const std::string report = folder_.file("LOADHRS.CSV");
  write_file(eei, "cards");
  write_file(report, std::string(100000, 'x'));

  os::Descriptor unit1 = os::kNoDescriptor, unit3 = os::kNoDescriptor;
  ASSERT_EQ(os::open_for_reading(eei.c_str(), unit1).number, 0);
  ASSERT_EQ(os::open_for_replacing(report.c_str(), unit1, unit3).number, 0);
  EXPECT_EQ(fs::file_size(report), 0u) << "the old report is cut at the open";
  for (const std::string& held : {eei, report}) {
    SCOPED_TRACE(held);
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE reader = other_opener(held, GENERIC_READ, all);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE) << "another program may read";
    ::CloseHandle(reader);
    HANDLE writer = other_opener(held, GENERIC_WRITE, all);
    DWORD refused = writer == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
    EXPECT_EQ(refused, static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << "no other writer";
    if (writer != INVALID_HANDLE_VALUE) ::CloseHandle(writer);
  }
  EXPECT_EQ(os::close_descriptor(unit3), 0);
  EXPECT_EQ(os::close_descriptor(unit1), 0);

  struct Held {
    const char* what;
    DWORD access, share;
    bool eei_opens, report_opens;
  };
  const Held kHeld[] = {
      {"held for writing, shared for all", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, false,
       false},
      {"held for reading, not shared", GENERIC_READ, 0, false, false},
      {"held for reading, shared for reading", GENERIC_READ, FILE_SHARE_READ, true, false},
      {"held for reading, shared for all", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, true,
       true},
  };
  write_file(report, "old report");
  for (const Held& row : kHeld) {
    SCOPED_TRACE(row.what);
    HANDLE other = other_opener(report, row.access, row.share);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    for (bool replacing : {false, true}) {
      os::Descriptor d = os::kNoDescriptor;
      os::Refusal refusal = replacing ? os::open_for_replacing(report.c_str(), os::kNoDescriptor, d)
                                      : os::open_for_reading(report.c_str(), d);
      bool opens = replacing ? row.report_opens : row.eei_opens;
      if (opens) {
        EXPECT_EQ(refusal.number, 0) << (replacing ? "report" : "EEI") << " open";
        os::close_descriptor(d);
      } else {
        EXPECT_EQ(refusal.number, 30) << (replacing ? "report" : "EEI") << " open";
        EXPECT_EQ(refusal.system_error, ERROR_SHARING_VIOLATION);
      }
    }
    ::CloseHandle(other);
    if (!row.report_opens) {
      EXPECT_EQ(read_file(report), "old report") << "a refused report is not cut";
    }
  }
}

// The descriptor table holds a bounded number of files; past it an open is refused as
// too many open files, without system text.
TEST_F(Win32Layer, TooManyOpenFiles) {
  const std::string eei = folder_.file("cards.eei");
  write_file(eei, "cards");
  std::vector<os::Descriptor> held;
  os::Refusal refusal;
  for (int i = 0; i < 1000 && refusal.number == 0; ++i) {
    os::Descriptor d = os::kNoDescriptor;
    refusal = os::open_for_reading(eei.c_str(), d);
    if (refusal.number == 0) held.push_back(d);
  }
  EXPECT_EQ(refusal.number, 30);
  EXPECT_EQ(refusal.system_error, 0);
  EXPECT_GE(held.size(), 8u);
  for (os::Descriptor d : held) {
    EXPECT_GT(d, os::kStandardError);
    EXPECT_EQ(os::close_descriptor(d), 0);
  }
  os::Descriptor again = os::kNoDescriptor;
  EXPECT_EQ(os::open_for_reading(eei.c_str(), again).number, 0) << "closed numbers are free again";
  os::close_descriptor(again);
}

// ---- the fault seam, with Windows error codes ----

struct InjectedFault {
  const char* what;
  Call call;
  int error;
  bool replacing;
  int number, system_error;  // the refusal expected
};

TEST_F(Win32Layer, InjectedFailuresOfTheOpens) {
  const std::string name = folder_.file("file.txt");
  const InjectedFault kRows[] = {
      {"too many open files", Call::open, ERROR_TOO_MANY_OPEN_FILES, false, 30, 0},
      {"sharing violation", Call::open, ERROR_SHARING_VIOLATION, true, 30, ERROR_SHARING_VIOLATION},
      {"lock violation", Call::open, ERROR_LOCK_VIOLATION, false, 30, ERROR_LOCK_VIOLATION},
      {"invalid drive", Call::open, ERROR_INVALID_DRIVE, false, 42, 0},
      {"write protected", Call::open, ERROR_WRITE_PROTECT, true, 9, 0},
      {"bad path name", Call::open, ERROR_BAD_PATHNAME, true, 43, 0},
      {"network path", Call::open, ERROR_BAD_NETPATH, false, 42, 0},
      {"file type unknown", Call::fstat, ERROR_INVALID_HANDLE, true, 30, ERROR_INVALID_HANDLE},
      {"cutting fails", Call::ftruncate, ERROR_DISK_FULL, true, 38, ERROR_DISK_FULL},
  };
  for (const InjectedFault& row : kRows) {
    SCOPED_TRACE(row.what);
    write_file(name, "contents");
    io::fault::arm(row.call, 1, row.error);
    os::Descriptor d = os::kNoDescriptor;
    os::Refusal refusal = row.replacing ? os::open_for_replacing(name.c_str(), os::kNoDescriptor, d)
                                        : os::open_for_reading(name.c_str(), d);
    io::fault::clear();
    EXPECT_EQ(refusal.number, row.number);
    EXPECT_EQ(refusal.system_error, row.system_error);
    EXPECT_EQ(d, os::kNoDescriptor);
    EXPECT_EQ(read_file(name), "contents") << "a refused open leaves the file as it was";
  }
}

TEST_F(Win32Layer, InjectedFailuresOfTheTransfers) {
  const std::string name = folder_.file("file.txt");
  os::Descriptor d = os::kNoDescriptor;
  ASSERT_EQ(os::open_for_replacing(name.c_str(), os::kNoDescriptor, d).number, 0);
  io::fault::arm(Call::write, 1, ERROR_DISK_FULL);
  EXPECT_EQ(os::write_all(d, "x", 1), ERROR_DISK_FULL);
  io::fault::arm(Call::close, 1, ERROR_INVALID_HANDLE);
  EXPECT_EQ(os::close_descriptor(d), ERROR_INVALID_HANDLE);
  HANDLE writer = other_opener(name, GENERIC_WRITE, 0);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE) << "the handle is released all the same";
  ::CloseHandle(writer);

  ASSERT_EQ(os::open_for_reading(name.c_str(), d).number, 0);
  io::fault::arm(Call::read, 1, ERROR_CRC);
  char byte;
  std::size_t got = 1;
  EXPECT_EQ(os::read_some(d, &byte, 1, got), ERROR_CRC);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(os::close_descriptor(d), 0);
}

// ---- transfers ----

TEST_F(Win32Layer, BytesPassUnchanged) {
  const std::string name = folder_.file("bytes.bin");
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  bytes += "\r\n\n\r\x1a end";
  os::Descriptor d = os::kNoDescriptor;
  ASSERT_EQ(os::open_for_replacing(name.c_str(), os::kNoDescriptor, d).number, 0);
  EXPECT_EQ(os::write_all(d, bytes.data(), bytes.size()), 0);
  EXPECT_EQ(os::close_descriptor(d), 0);
  EXPECT_EQ(read_file(name), bytes);

  ASSERT_EQ(os::open_for_reading(name.c_str(), d).number, 0);
  std::string back;
  char block[100];
  for (std::size_t got = 1; got != 0;) {
    ASSERT_EQ(os::read_some(d, block, sizeof block, got), 0);
    back.append(block, got);
  }
  EXPECT_EQ(back, bytes);
  EXPECT_EQ(os::close_descriptor(d), 0);
}

// A pipe whose writer has gone ends with a failed read that only tells the end.
TEST_F(Win32Layer, EndOfAPipe) {
  HANDLE read_end, write_end;
  ASSERT_TRUE(::CreatePipe(&read_end, &write_end, nullptr, 0));
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(write_end, "ab", 2, &written, nullptr));
  ::CloseHandle(write_end);
  HANDLE saved = ::GetStdHandle(STD_INPUT_HANDLE);
  ::SetStdHandle(STD_INPUT_HANDLE, read_end);
  char buffer[8];
  std::size_t got = 0;
  EXPECT_EQ(os::read_some(os::kStandardInput, buffer, sizeof buffer, got), 0);
  EXPECT_EQ(std::string(buffer, got), "ab");
  int end = os::read_some(os::kStandardInput, buffer, sizeof buffer, got);
  ::SetStdHandle(STD_INPUT_HANDLE, saved);
  ::CloseHandle(read_end);
  EXPECT_EQ(got, 0u);
  if (end != 0) {
    EXPECT_EQ(end, ERROR_BROKEN_PIPE);
    EXPECT_TRUE(os::ends_stream(end));
  }
  EXPECT_TRUE(os::ends_stream(ERROR_BROKEN_PIPE));
  EXPECT_TRUE(os::ends_stream(ERROR_HANDLE_EOF));
  EXPECT_FALSE(os::ends_stream(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(os::ends_stream(0));
}

// Console input from a pipe holding "name" without LF, read to its end: the line, then
// the end of input. Read 5 finds the end as the pipe reports it; read 6 is a broken pipe,
// whatever the pipe would report.
void read_two_lines_from_a_pipe() {
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  ::CreatePipe(&read_end, &write_end, nullptr, 0);
  DWORD written = 0;
  ::WriteFile(write_end, "name", 4, &written, nullptr);
  ::CloseHandle(write_end);
  ::SetStdHandle(STD_INPUT_HANDLE, read_end);
  io::fault::arm(Call::read, 6, ERROR_BROKEN_PIPE);
  char field[io::kTypedFieldWidth];
  io::typed_line_input(field);
  if (std::string(field, 4) != "name") std::abort();
  io::typed_line_input(field);
}

// Console input that the system ends as a broken pipe: the last line without LF is a line
// like any other; then end of input, with the system's text first.
TEST_F(Win32Layer, ConsoleInputEndedAsABrokenPipe) {
  std::string expected = "eei2csv: " + text_of(ERROR_BROKEN_PIPE) +
                         "\neei2csv: severe (24): end-of-file during read, unit 5, file CONIN$\n";
  EXPECT_EXIT(read_two_lines_from_a_pipe(), testing::ExitedWithCode(static_cast<int>(0xC0000018u)),
              testing::StartsWith(expected));
}

// ---- names ----

TEST_F(Win32Layer, SystemFormsTheAbsoluteName) {
  char cwd[MAX_PATH];
  ASSERT_TRUE(os::current_directory(cwd, sizeof cwd));
  const std::string here = cwd;
  const std::string drive = here.substr(0, 2);
  struct Named {
    const char* handed;
    std::string name;
  };
  const Named kNames[] = {
      {"cards.eei", here + "\\cards.eei"}, {"a/b/../c.eei", here + "\\a\\c.eei"},
      {".\\a\\.\\b", here + "\\a\\b"},     {"\\top\\f.csv", drive + "\\top\\f.csv"},
      {"Q:\\x\\..\\y.csv", "Q:\\y.csv"},   {"C:/abs/f.csv", "C:\\abs\\f.csv"},
  };
  for (const Named& row : kNames) {
    SCOPED_TRACE(row.handed);
    char name[io::kFileNameCapacity + 1];
    bool holds_nul = true;
    io::connection_name(std::string("  ") + row.handed + "  ", name, holds_nul);
    EXPECT_FALSE(holds_nul);
    EXPECT_EQ(std::string(name), row.name);
  }
}

// The absolute form is used while it is shorter than 256 characters, the trimmed name
// otherwise; and when the system cannot form it.
TEST_F(Win32Layer, AbsoluteNameLengthLimit) {
  char cwd[MAX_PATH];
  ASSERT_TRUE(os::current_directory(cwd, sizeof cwd));
  const std::size_t prefix = std::strlen(cwd) + 1;
  ASSERT_LT(prefix, 200u);
  const std::string fits(255 - prefix, 'f'), too_long(256 - prefix, 'g');
  char name[io::kFileNameCapacity + 1];
  bool holds_nul = false;
  io::connection_name(fits, name, holds_nul);
  EXPECT_EQ(std::string(name), std::string(cwd) + "\\" + fits);
  io::connection_name(too_long, name, holds_nul);
  EXPECT_EQ(std::string(name), too_long);
  io::fault::arm(Call::getcwd, 1, ERROR_NOT_ENOUGH_MEMORY);
  io::connection_name("cards.eei", name, holds_nul);
  EXPECT_EQ(std::string(name), "cards.eei");
}

// ---- system texts ----

TEST_F(Win32Layer, SystemTextWithoutLineBreak) {
  for (int code : {ERROR_SHARING_VIOLATION, ERROR_DISK_FULL, ERROR_BROKEN_PIPE, ERROR_NO_DATA}) {
    std::string text = text_of(code);
    SCOPED_TRACE(text);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    EXPECT_NE(text.back(), ' ');
  }
  EXPECT_EQ(text_of(0x2FFFFFF0), "Unknown error 805306352");
  char small[8];
  EXPECT_EQ(std::string(os::error_text(0x2FFFFFF0, small, sizeof small)), "Unknown");
}

// ---- the console events and the exit statuses ----

struct ConsoleEvent {
  DWORD type;
  const char* name;
  unsigned status;
};

const ConsoleEvent kEvents[] = {
    {CTRL_C_EVENT, "control-C", 0xC000013Au},
    {CTRL_BREAK_EVENT, "control-BREAK", 1},
    {CTRL_CLOSE_EVENT, "window-CLOSE", 2},
};

// The system calls the routine on a thread of its own; so does the test.
void deliver(DWORD type) {
  std::thread console([type] { os::win32::console_event(type); });
  console.join();
}

TEST_F(Win32Layer, ConsoleEventsEndTheRun) {
  for (const ConsoleEvent& event : kEvents) {
    SCOPED_TRACE(event.name);
    std::string line =
        std::string("eei2csv: error (200): program aborting due to ") + event.name + " event\n";
    EXPECT_EXIT(
        {
          io::prepare_run();
          deliver(event.type);
        },
        testing::ExitedWithCode(static_cast<int>(event.status)), testing::Eq(line));
  }
}

TEST_F(Win32Layer, OtherConsoleEventsAreLeftToTheSystem) {
  EXPECT_EQ(os::win32::console_event(CTRL_LOGOFF_EVENT), FALSE);
  EXPECT_EQ(os::win32::console_event(CTRL_SHUTDOWN_EVENT), FALSE);
}

// Windows passes the whole diagnostic code on as the exit status.
TEST_F(Win32Layer, ExitStatusIsTheWholeDiagnosticCode) {
  EXPECT_EXIT(
      (io::fatal({29, 1, "C:\\cards.eei"})), testing::ExitedWithCode(static_cast<int>(0xC000001Du)),
      testing::StartsWith("eei2csv: severe (29): file not found, unit 1, file C:\\cards.eei\n"));
  EXPECT_EXIT(io::normal_stop(), testing::ExitedWithCode(0), testing::Eq(""));
}

}  // namespace
