// The two options every command-line tool answers: --help and --version. The run itself
// takes no arguments; these are looked at only when one of them is the one argument.
#pragma once

namespace io {

// When `argument` is "--help" or "--version", writes the usage text or the version line on
// standard output and ends the process with status 0. Any other argument returns at once.
void answer_option(const char* argument);

}  // namespace io
