// Micro-benchmarks of the conversion's own work, without any system call: decoding the
// two card images of a pair, and rendering the 24 report lines of a pair. Each benchmark
// reports its time per card pair.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string_view>

#include "run/card_pair.h"
#include "run/report.h"

namespace {

// Two cards as the EEI files of the field carry them.
constexpr const char* kCards[2] = {
    " 1 713 1  SYS 0147   2474 2350 2273 2276 2417 2723 3111 3450 3452 3156 2853 2670",
    " 1 713 2  SYS 0147   2637 2660 2780 3062 3421 3719 3710 3417 3063 2786 2647 2616"};

run::CardPair sample_pair() {
  run::CardPair pair;
  for (int card = 0; card < 2; ++card) std::memcpy(pair.image[card], kCards[card], 80);
  return pair;
}

void BM_DecodeCardPair(benchmark::State& state) {
  run::CardPair pair = sample_pair();
  for (auto _ : state) {
    run::decode_card(pair, 0);
    run::decode_card(pair, 1);
    benchmark::DoNotOptimize(pair);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeCardPair);

// Keeps the last line handed over, as the report output would take it.
void keep_line(std::string_view line, void* context) {
  std::memcpy(static_cast<char*>(context), line.data(), line.size());
  benchmark::ClobberMemory();
}

void BM_RenderCardPair(benchmark::State& state) {
  run::CardPair pair = sample_pair();
  run::decode_card(pair, 0);
  run::decode_card(pair, 1);
  char line[run::kReportLineLength];
  for (auto _ : state) {
    run::render_day(pair, keep_line, line);
    benchmark::DoNotOptimize(line);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenderCardPair);

}  // namespace

BENCHMARK_MAIN();
