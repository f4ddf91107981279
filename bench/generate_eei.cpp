// Writes a deterministic EEI card file of hourly loads: N card pairs, one day each, with
// a daily load curve, a weekly rhythm, a seasonal swing and some noise, all from a fixed
// seed, so that the same arguments always give the same bytes.
//
//   generate_eei PAIRS [--crlf] > cards.eei
//
// Each card is 80 columns: month, day, two-digit year and half-day indicator in columns
// 1-8, a station and series label in columns 9-20, twelve 5-column hourly values in 21-80.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A small linear congruential generator: fixed, portable, and fast enough for any size.
std::uint64_t state = 0x2545F4914F6CDD1Dull;

int noise(int spread) {
  state = state * 6364136223846793005ull + 1442695040888963407ull;
  return static_cast<int>((state >> 33) % static_cast<std::uint64_t>(2 * spread + 1)) - spread;
}

// Load in kW for an hour 1-24 of a day of the year 0-364, falling on weekday 0-6.
int load(int hour, int day_of_year, int weekday) {
  static const int kDailyShape[24] = {82,  78,  76,  76,  80,  89,  100, 111, 114, 113, 112, 111,
                                      110, 111, 112, 113, 116, 121, 124, 122, 117, 108, 98,  88};
  // Summer and winter peaks, spring and autumn lows.
  int season = day_of_year < 182 ? day_of_year : 364 - day_of_year;
  int seasonal = 2300 + (season > 91 ? 182 - season : season) * 6;
  int weekly = weekday >= 5 ? 88 : 100;
  int value = seasonal * kDailyShape[hour - 1] / 100 * weekly / 100 + noise(40);
  return value < 0 ? 0 : value > 99999 ? 99999 : value;
}

bool leap(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int days_in_month(int month, int year) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap(year) ? 29 : kDays[month - 1];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "--crlf") != 0)) {
    std::fprintf(stderr, "usage: %s PAIRS [--crlf]\n", argv[0]);
    return 2;
  }
  long pairs = std::strtol(argv[1], nullptr, 10);
  const char* terminator = argc == 3 ? "\r\n" : "\n";

  static char buffer[1 << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);

  int year = 2013, month = 1, day = 1, day_of_year = 0, weekday = 1;  // 1 Jan 2013, a Tuesday
  for (long p = 0; p < pairs; ++p) {
    for (int half = 1; half <= 2; ++half) {
      std::printf("%2d%2d%2d%2d  SYS 0147  ", month, day, year % 100, half);
      for (int k = 1; k <= 12; ++k) {
        std::printf("%5d", load((half - 1) * 12 + k, day_of_year, weekday));
      }
      std::fputs(terminator, stdout);
    }
    weekday = (weekday + 1) % 7;
    ++day_of_year;
    if (++day > days_in_month(month, year)) {
      day = 1;
      if (++month > 12) {
        month = 1;
        ++year;
        day_of_year = 0;
      }
    }
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
