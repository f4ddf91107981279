#include "io/console.h"

#include <algorithm>
#include <cstring>

#include "io/connections.h"
#include "io/messages.h"
#include "io/os.h"
#include "io/termination.h"

namespace io {
namespace {

constexpr char kCtrlZ = 26;

void write_console(const char* bytes, std::size_t length) {
  if (int e = os::write_all(os::kStandardOutput, bytes, length)) {
    fatal({diagnostic::kWriteError, kConsoleOutputUnit, kConsoleOutputName, e,
           "console line output"});
  }
}

void write_console_line(const char* line, std::size_t length, void*) {
  write_console(line, length);
}

// One list line being filled: a leading blank, up to 79 characters, then CR LF.
class ListLine {
 public:
  ListLine(LineSink sink, void* context) : sink_(sink), context_(context) {}

  std::size_t room() const { return kListLineWidth - length_; }
  bool holds_item() const { return holds_item_; }

  void put(const char* bytes, std::size_t length) {
    if (length > 0) std::memcpy(line_ + length_, bytes, length);  // an empty item may have no bytes
    length_ += length;
    holds_item_ = true;
  }

  void end() {
    line_[length_] = '\r';
    line_[length_ + 1] = '\n';
    sink_(line_, length_ + 2, context_);
    length_ = 1;
    holds_item_ = false;
  }

 private:
  LineSink sink_;
  void* context_;
  char line_[kListLineWidth + 2] = {' '};
  std::size_t length_ = 1;
  bool holds_item_ = false;
};

}  // namespace

void lay_out_list(std::span<const std::string_view> items, LineSink sink, void* context) {
  ListLine line(sink, context);
  for (std::string_view item : items) {
    if (line.holds_item() && item.size() > line.room()) line.end();
    while (item.size() > line.room()) {
      std::size_t piece = line.room();
      line.put(item.data(), piece);
      item.remove_prefix(piece);
      line.end();
    }
    line.put(item.data(), item.size());
  }
  line.end();
}

void list_line_output(std::initializer_list<std::string_view> items) {
  lay_out_list(std::span<const std::string_view>(items.begin(), items.size()), write_console_line,
               nullptr);
}

void formatted_line_output(std::string_view text) {
  char line[kListLineWidth * 2 + 2];
  std::size_t length = std::min(text.size(), sizeof line - 2);
  std::memcpy(line, text.data(), length);
  line[length] = '\r';
  line[length + 1] = '\n';
  write_console(line, length + 2);
}

void typed_line_input(char (&field)[kTypedFieldWidth]) {
  char kept[kTypedFieldWidth];
  std::size_t count = 0;   // bytes of the line held in `kept`
  std::size_t length = 0;  // bytes of the line, whatever its length
  char last = 0;
  bool started = false;
  for (;;) {
    // One byte per read: no byte after this line's LF may leave the stream.
    char byte = 0;
    std::size_t got = 0;
    if (int e = os::read_some(os::kStandardInput, &byte, 1, got)) {
      if (!os::ends_stream(e)) {
        fatal(
            {diagnostic::kReadError, kConsoleInputUnit, kConsoleInputName, e, "typed line input"});
      }
      // The system reported the end of the stream as a failed read: its text is shown.
      if (started) break;
      fatal({diagnostic::kEndOfInput, kConsoleInputUnit, kConsoleInputName, e, "typed line input"});
    }
    if (got == 0) {
      if (started) break;  // a last line without LF
      fatal({diagnostic::kEndOfInput, kConsoleInputUnit, kConsoleInputName, 0, "typed line input"});
    }
    started = true;
    if (byte == '\n') break;
    if (count < kTypedFieldWidth) kept[count++] = byte;
    last = byte;
    ++length;
  }
  if (length > 0 && last == '\r') {
    --length;
    count = std::min(count, length);
  }
  if (length == 1 && kept[0] == kCtrlZ) {
    fatal({diagnostic::kEndOfInput, kConsoleInputUnit, kConsoleInputName, 0, "typed line input"});
  }
  std::memcpy(field, kept, count);
  std::memset(field + count, ' ', kTypedFieldWidth - count);
}

}  // namespace io
