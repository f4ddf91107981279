// The tool with faults armed before its run: EEI2CSV_FAULT lists the system calls to make
// fail, as CALL:NTH:ERRNO entries separated by commas ("write:3:28" makes the third write
// fail with ENOSPC). Counting starts at the start of the run. For tests only.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "io/fault.h"
#include "run/run.h"

namespace {

bool arm_entry(const std::string& entry) {
  std::size_t first = entry.find(':');
  std::size_t second = entry.find(':', first == std::string::npos ? first : first + 1);
  if (first == std::string::npos || second == std::string::npos) return false;
  std::string call_name = entry.substr(0, first);
  char* end = nullptr;
  unsigned long nth = std::strtoul(entry.c_str() + first + 1, &end, 10);
  if (end != entry.c_str() + second || nth == 0) return false;
  long error = std::strtol(entry.c_str() + second + 1, &end, 10);
  if (*end != '\0' || error <= 0) return false;
  for (int i = 0; i < static_cast<int>(io::fault::Call::count); ++i) {
    auto call = static_cast<io::fault::Call>(i);
    if (call_name == io::fault::name(call)) {
      io::fault::arm(call, static_cast<unsigned>(nth), static_cast<int>(error));
      return true;
    }
  }
  return false;
}

}  // namespace

int main() {
  if (const char* faults = std::getenv("EEI2CSV_FAULT")) {
    std::string list = faults;
    std::size_t start = 0;
    while (start <= list.size()) {
      std::size_t comma = list.find(',', start);
      if (comma == std::string::npos) comma = list.size();
      std::string entry = list.substr(start, comma - start);
      if (!entry.empty() && !arm_entry(entry)) {
        std::fprintf(stderr, "fault driver: cannot arm \"%s\"\n", entry.c_str());
        return 125;
      }
      start = comma + 1;
    }
  }
  run::EEI2CSV();
}
