// File line input on unit 1: the EEI file, line by line, as 80-column card images.
#pragma once

#include "io/card_lines.h"

namespace io {

// Reads the next line of unit 1 into `card` (see CardLines::next).
void file_line_input(char (&card)[kCardColumns], bool& end_of_file);

// The line number in the EEI file of the last line read, for diagnostics.
long eei_line_number();

}  // namespace io
