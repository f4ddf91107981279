// File line input on unit 1: the EEI file, line by line, as 80-column card images.
#pragma once

namespace io {

inline constexpr int kCardColumns = 80;

// Reads the next line of unit 1 into `card`: its first 80 characters, blank-padded; the
// rest of a longer line is skipped. A CR before the LF is dropped; the end of the file,
// or a line holding Ctrl-Z alone, sets `end_of_file` and leaves `card` as it was.
void file_line_input(char (&card)[kCardColumns], bool& end_of_file);

// The line number in the EEI file of the last line read, for diagnostics.
long eei_line_number();

}  // namespace io
