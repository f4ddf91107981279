// Connecting units 1 and 3 to their disk files. A refused open ends the run.
#pragma once

#include <string_view>

namespace io {

// Connects `unit` to the existing file `name` for reading only; others may read the file
// but not write it while the run holds it.
void read_open(int unit, std::string_view name);

// Connects `unit` to the file `name` for writing only, created when missing and cut to
// length 0 once it is held; others may read it but not write it. A name that designates
// the file held as unit 1 is refused and that file is left as it was.
void replace_open(int unit, std::string_view name);

}  // namespace io
