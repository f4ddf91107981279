#include "io/file_name.h"

#include <algorithm>
#include <cstring>

#include "io/os.h"

namespace io {
namespace {

constexpr std::size_t kPathCapacity = 4096;

// Appends the segments of `path` to `out` (each after one "/"), dropping empty and "."
// segments. Returns false when `out` is full.
bool append_segments(std::string_view path, char* out, std::size_t& length) {
  std::size_t i = 0;
  while (i <= path.size()) {
    std::size_t slash = path.find('/', i);
    if (slash == std::string_view::npos) slash = path.size();
    std::string_view segment = path.substr(i, slash - i);
    if (!segment.empty() && segment != ".") {
      if (length + 1 + segment.size() >= kPathCapacity) return false;
      out[length++] = '/';
      std::memcpy(out + length, segment.data(), segment.size());
      length += segment.size();
    }
    i = slash + 1;
  }
  return true;
}

// Builds the absolute form of `name`; false when the working directory is unknown or
// the result does not fit.
bool make_absolute(std::string_view name, char* out, std::size_t& length) {
  // Where the system forms absolute names itself, its form is the one opened and shown.
  char handed[kFileNameCapacity + 1];
  std::size_t size = std::min(name.size(), sizeof handed - 1);
  std::memcpy(handed, name.data(), size);
  handed[size] = '\0';
  switch (os::system_absolute_name(handed, out, kPathCapacity, length)) {
    case os::SystemName::formed:
      return true;
    case os::SystemName::failed:
      return false;
    case os::SystemName::not_offered:
      break;
  }
  length = 0;
  if (name.empty() || name[0] != '/') {
    char cwd[kPathCapacity];
    if (!os::current_directory(cwd, sizeof cwd)) return false;
    if (!append_segments(cwd, out, length)) return false;
  }
  if (!append_segments(name, out, length)) return false;
  // A name that ends in a slash (or in "/.") designates a directory; keep that meaning.
  bool names_directory = name.ends_with('/') || name == "." || name.ends_with("/.");
  if (length == 0 || names_directory) {
    if (length + 1 >= kPathCapacity) return false;
    out[length++] = '/';
  }
  return true;
}

}  // namespace

void connection_name(std::string_view handed, char (&name)[kFileNameCapacity + 1],
                     bool& holds_nul) {
  std::string_view trimmed = handed.substr(0, kFileNameCapacity);
  while (!trimmed.empty() && trimmed.front() == ' ') trimmed.remove_prefix(1);
  while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\0')) {
    trimmed.remove_suffix(1);
  }
  holds_nul = trimmed.find('\0') != std::string_view::npos;

  char absolute[kPathCapacity];
  std::size_t length = 0;
  std::string_view chosen = trimmed;
  if (!trimmed.empty() && make_absolute(trimmed, absolute, length) && length < kFileNameCapacity) {
    chosen = std::string_view(absolute, length);
  }
  std::memcpy(name, chosen.data(), chosen.size());
  name[chosen.size()] = '\0';
}

}  // namespace io
