#include "io/card_lines.h"

#include <algorithm>
#include <cstring>

#include "io/messages.h"
#include "io/termination.h"

namespace io {
namespace {

constexpr char kCtrlZ = 26;

}  // namespace

void CardLines::next(char (&card)[kCardColumns], bool& end_of_file) {
  end_of_file = false;
  if (ended_) {
    end_of_file = true;
    return;
  }
  char line[kCardColumns];
  std::size_t kept = 0;    // bytes of the line held in `line`
  std::size_t length = 0;  // bytes of the line, whatever its length
  char last = 0;           // its last byte
  bool started = false;    // a byte of this line (or its LF) has been consumed
  for (;;) {
    if (next_ == filled_) {
      std::size_t got = 0;
      int e = os::read_some(descriptor_, store_, kStoreSize, got);
      if (e != 0 && !os::ends_stream(e)) {
        fatal({diagnostic::kReadError, unit_, name_, e, "file line input"});
      }
      next_ = 0;
      filled_ = got;
      if (got == 0) {
        if (started) break;  // a last line without LF
        ended_ = true;
        end_of_file = true;
        return;
      }
    }
    started = true;
    const char* begin = store_ + next_;
    std::size_t available = filled_ - next_;
    const char* lf = static_cast<const char*>(std::memchr(begin, '\n', available));
    std::size_t chunk = lf != nullptr ? static_cast<std::size_t>(lf - begin) : available;
    std::size_t take = std::min(chunk, kCardColumns - kept);
    std::memcpy(line + kept, begin, take);
    kept += take;
    if (chunk > 0) last = begin[chunk - 1];
    length += chunk;
    next_ += chunk;
    if (lf != nullptr) {
      ++next_;
      break;
    }
  }
  ++lines_;

  if (length > 0 && last == '\r') {
    --length;
    kept = std::min(kept, length);
  }
  if (length == 1 && line[0] == kCtrlZ) {
    ended_ = true;
    end_of_file = true;
    return;
  }
  std::memcpy(card, line, kept);
  if (kept < kCardColumns) std::memset(card + kept, ' ', kCardColumns - kept);
}

}  // namespace io
