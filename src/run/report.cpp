#include "run/report.h"

#include <cstdint>

#include "io/report_output.h"
#include "io/termination.h"
#include "run/card_pair.h"
#include "run/render.h"

namespace run {

void PUTHDR() {
  io::Routine routine("PUTHDR");
  io::file_line_output(kHeaderLine);
}

// Report line: MO,DA,YR,HR,LOAD in columns 1-2, 4-5, 7-8, 10-11 and 13-17. The date is
// rendered once per card; each line then changes only its hour and its value.
[[gnu::hot]] void render_day(const CardPair& pair, ReportLineSink sink, void* context) {
  char line[kReportLineLength] = {' ', ' ', ',', ' ', ' ', ',', ' ', ' ', ',', ' ', ' ', ','};
  for (int card = 0; card < 2; ++card) {
    const CardDate& date = pair.date[card];
    render_fixed<2>(line + 0, date.month);
    render_fixed<2>(line + 3, date.day);
    render_fixed<2>(line + 6, date.year);
    // The value table row of this card's half-day indicator, as CardPair::value reads it.
    const std::int64_t* row = pair.values[pair.indicator[card] - 1];
    for (int k = 1; k <= kHoursPerCard; ++k) {
      int hour = card * kHoursPerCard + k;
      render_fixed<2>(line + 9, hour);
      render_fixed<5>(line + 12, row[hour - 1]);
      sink({line, kReportLineLength}, context);
    }
  }
}

// Hot: on the path of every report line (see io::file_line_output).
[[gnu::hot]] void PUTDAY() {
  io::Routine routine("PUTDAY");
  render_day(
      card_pair(), [](std::string_view line, void*) { io::file_line_output(line); }, nullptr);
}

}  // namespace run
