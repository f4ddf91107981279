// The name a file connection opens and shows: the name handed to the open, trimmed, then
// made absolute against the current working directory.
#pragma once

#include <string_view>

#include "io/connections.h"

namespace io {

// Takes at most the first 256 characters of `handed`, drops its leading blanks and its
// trailing blanks and NUL bytes, and makes it absolute: the system's own absolute form
// where the system forms one (Win32), otherwise the working directory, "/" and the name,
// with "." segments and repeated slashes dropped ("..", and symbolic links, are kept as
// typed). The absolute form is used when it is shorter than 256 characters, the
// trimmed name otherwise. `holds_nul` tells whether a NUL byte is left inside the name,
// which no file name can hold.
void connection_name(std::string_view handed, char (&name)[kFileNameCapacity + 1], bool& holds_nul);

}  // namespace io
