#include "io/eei_input.h"

#include <algorithm>
#include <cstring>

#include "io/connections.h"
#include "io/messages.h"
#include "io/termination.h"

namespace io {
namespace {

// The line store: one block of the file at a time. Bytes beyond a card's 80 columns are
// passed over where they stand, so a line of any length needs no more room than this.
constexpr std::size_t kStoreSize = 8192;
char store[kStoreSize];
std::size_t next = 0;    // first byte not yet consumed
std::size_t filled = 0;  // bytes of the store that hold file data
bool ended = false;      // the end of the file, or its Ctrl-Z line, has been met
long lines_read = 0;

constexpr char kCtrlZ = 26;

}  // namespace

long eei_line_number() {
  return lines_read;
}

void file_line_input(char (&card)[kCardColumns], bool& end_of_file) {
  end_of_file = false;
  if (ended) {
    end_of_file = true;
    return;
  }
  Connection& c = connection(kEeiUnit);
  BusyMark busy(c);

  char line[kCardColumns];
  std::size_t kept = 0;    // bytes of the line held in `line`
  std::size_t length = 0;  // bytes of the line, whatever its length
  char last = 0;           // its last byte
  bool started = false;    // a byte of this line (or its LF) has been consumed
  for (;;) {
    if (next == filled) {
      std::size_t got = 0;
      if (int e = os::read_some(c.descriptor, store, kStoreSize, got)) {
        fatal({diagnostic::kReadError, kEeiUnit, c.name, e, "file line input"});
      }
      next = 0;
      filled = got;
      if (got == 0) {
        if (started) break;  // a last line without LF
        ended = true;
        end_of_file = true;
        return;
      }
    }
    started = true;
    const char* begin = store + next;
    std::size_t available = filled - next;
    const char* lf = static_cast<const char*>(std::memchr(begin, '\n', available));
    std::size_t chunk = lf != nullptr ? static_cast<std::size_t>(lf - begin) : available;
    std::size_t take = std::min(chunk, kCardColumns - kept);
    std::memcpy(line + kept, begin, take);
    kept += take;
    if (chunk > 0) last = begin[chunk - 1];
    length += chunk;
    next += chunk;
    if (lf != nullptr) {
      ++next;
      break;
    }
  }
  ++lines_read;

  if (length > 0 && last == '\r') {
    --length;
    kept = std::min(kept, length);
  }
  if (length == 1 && line[0] == kCtrlZ) {
    ended = true;
    end_of_file = true;
    return;
  }
  std::memcpy(card, line, kept);
  std::memset(card + kept, ' ', kCardColumns - kept);
}

}  // namespace io
