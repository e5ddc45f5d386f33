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

}  // namespace
