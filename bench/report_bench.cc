// Building both report texts in memory, as the start routine does before writing.
#include <benchmark/benchmark.h>

#include "report/distance_report.h"

namespace {

void BM_BuildBothReportTexts(benchmark::State& state) {
  size_t bytes = 0;
  for (auto _ : state) {
    kalvento::report::ReportTexts texts = kalvento::report::BuildReportTexts();
    bytes = texts.neighbourHtml.size() + texts.distanceHtml.size();
    benchmark::DoNotOptimize(texts);
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
  state.counters["output_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BuildBothReportTexts)->Repetitions(10)->ReportAggregatesOnly(true);

// The same work into buffers kept from the previous run: what is left once the
// kernel's cost of handing out fresh pages is taken away.
void BM_BuildBothReportTextsIntoKeptBuffers(benchmark::State& state) {
  kalvento::report::ReportTexts texts;
  for (auto _ : state) {
    kalvento::report::BuildReportTexts(&texts);
    benchmark::DoNotOptimize(texts);
  }
  state.SetBytesProcessed(
      static_cast<int64_t>(texts.neighbourHtml.size() + texts.distanceHtml.size()) * state.iterations());
}
BENCHMARK(BM_BuildBothReportTextsIntoKeptBuffers)->Repetitions(10)->ReportAggregatesOnly(true);

}  // namespace
