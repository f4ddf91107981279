// The console line input: the input is what standard input holds, a memory file put on
// descriptor 0. typed_line_input is called once for each line that is a name entry by the
// rule written out plainly below, and must fill the field as that rule does and take no
// byte past the line's LF. Where the input ends (or a line is Ctrl-Z alone), a last call,
// in a forked child (for one input in 64), must end the run with the end-of-file
// diagnostic.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "io/console.h"

namespace {

struct Entry {
  std::string field;     // 100 characters
  std::size_t next = 0;  // offset of the first byte after the line
};

// The rule: a line ends at LF; a last line needs none, but no byte at all is the end of
// input; a CR just before the end of a line is dropped; a line of Ctrl-Z alone is the end
// of input; the field is the line's first 100 characters, blank-padded.
std::vector<Entry> plain_entries(const std::string& input) {
  std::vector<Entry> entries;
  std::size_t start = 0;
  while (start < input.size()) {
    std::size_t lf = input.find('\n', start);
    std::size_t end = lf == std::string::npos ? input.size() : lf;
    std::string line = input.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "\x1a") break;
    line.resize(io::kTypedFieldWidth, ' ');
    std::size_t next = lf == std::string::npos ? input.size() : lf + 1;
    entries.push_back({line.substr(0, io::kTypedFieldWidth), next});
    start = next;
  }
  return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  int fd = ::memfd_create("console", MFD_CLOEXEC);
  if (fd < 0 || ::write(fd, input.data(), input.size()) != static_cast<ssize_t>(input.size()) ||
      ::lseek(fd, 0, SEEK_SET) != 0 || ::dup2(fd, 0) != 0) {
    fuzz::fail("memory file on standard input");
  }
  ::close(fd);

  // Few calls are made by the tool; a long input is checked on its first entries only.
  std::vector<Entry> entries = plain_entries(input);
  std::size_t calls = entries.size() < 64 ? entries.size() : 64;
  char field[io::kTypedFieldWidth];
  for (std::size_t i = 0; i < calls; ++i) {
    std::memset(field, '#', sizeof field);
    io::typed_line_input(field);
    if (std::string(field, sizeof field) != entries[i].field) {
      fuzz::fail("a typed field", "entry " + std::to_string(i + 1) + ": \"" +
                                      std::string(field, sizeof field) + "\" vs \"" +
                                      entries[i].field + "\"");
    }
    if (::lseek(0, 0, SEEK_CUR) != static_cast<off_t>(entries[i].next)) {
      fuzz::fail("a typed line took bytes after its LF");
    }
  }
  if (calls == entries.size() && fuzz::sampled(data, size, 64)) {
    std::string err;
    int status = fuzz::run_to_end([&] { io::typed_line_input(field); }, err);
    const std::string line = "eei2csv: severe (24): end-of-file during read, unit 5, file CONIN$\n";
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 24 || err.compare(0, line.size(), line) != 0) {
      fuzz::fail("the end of input", "wait status " + std::to_string(status) + "\n" + err);
    }
  }
  return 0;
}
