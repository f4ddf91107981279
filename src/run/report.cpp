#include "run/report.h"

#include "io/report_output.h"
#include "io/termination.h"
#include "run/card_pair.h"
#include "run/render.h"

namespace run {

void PUTHDR() {
  io::Routine routine("PUTHDR");
  io::file_line_output(kHeaderLine);
}

// Report line: MO,DA,YR,HR,LOAD in columns 1-2, 4-5, 7-8, 10-11 and 13-17.
void PUTDAY() {
  io::Routine routine("PUTDAY");
  const CardPair& pair = card_pair();
  char line[kReportLineLength] = {' ', ' ', ',', ' ', ' ', ',', ' ', ' ', ',', ' ', ' ', ','};
  for (int card = 0; card < 2; ++card) {
    const CardDate& date = pair.date[card];
    render_field(line + 0, 2, date.month);
    render_field(line + 3, 2, date.day);
    render_field(line + 6, 2, date.year);
    for (int k = 1; k <= kHoursPerCard; ++k) {
      int hour = card * kHoursPerCard + k;
      render_field(line + 9, 2, hour);
      render_field(line + 12, 5, pair.value(hour));
      io::file_line_output({line, kReportLineLength});
    }
  }
}

}  // namespace run
