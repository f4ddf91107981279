// FILES: the console dialogue that chooses the EEI file and the report file and opens them
// as unit 1 (read) and unit 3 (replace).
#pragma once

namespace files {

// On return unit 1 is open on the EEI file and unit 3 on the emptied report file.
void FILES();

}  // namespace files
