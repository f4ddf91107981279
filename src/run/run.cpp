#include "run/run.h"

#include "files/files.h"
#include "io/console.h"
#include "io/termination.h"
#include "run/card_pair.h"
#include "run/report.h"

namespace run {

void EEI2CSV() {
  io::prepare_run();
  io::Routine routine("EEI2CSV");
  files::FILES();
  PUTHDR();
  for (std::int32_t passes = kPairLimit; passes > 0; --passes) {
    bool end_of_file = false;
    GETPAIR(end_of_file);
    if (end_of_file) break;
    PUTDAY();
  }
  io::formatted_line_output(kCompletionLine);
  io::normal_stop();
}

}  // namespace run
