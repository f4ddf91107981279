// eei2csv: converts an EEI card file of hourly loads into a vertical CSV report.
// Command-line arguments are not used; the run asks for its two files on the console.
#include "run/run.h"

int main() {
  run::EEI2CSV();
}
