// eei2csv: converts an EEI card file of hourly loads into a vertical CSV report.
// The run asks for its two files on the console and takes no arguments; only a lone
// --help or --version is answered, as every command-line tool does.
#include "io/usage.h"
#include "run/run.h"

int main(int argc, char** argv) {
  if (argc == 2) io::answer_option(argv[1]);
  run::EEI2CSV();
}
