// Table engine speed on 1,000,000 records of 100 bytes with one NTX on a C(20)
// key. The table is generated into $KALVENTO_BENCH_DIR (default
// /tmp/kalvento-bench) by the first benchmark; the others work on it in order.
// Record count: $KALVENTO_BENCH_RECORDS (default 1000000).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "runtime/db/structure_copy.h"
#include "runtime/db/table_functions.h"

namespace {

using kalvento::rt::Array;
using kalvento::rt::Date;
using kalvento::rt::Value;
namespace db = kalvento::rt::db;

std::string Dir() {
  const char* d = std::getenv("KALVENTO_BENCH_DIR");
  return d ? d : "/tmp/kalvento-bench";
}

uint32_t Records() {
  const char* n = std::getenv("KALVENTO_BENCH_RECORDS");
  return n ? static_cast<uint32_t>(std::strtoul(n, nullptr, 10)) : 1000000;
}

std::string File(const std::string& name) { return Dir() + "/" + name; }

// The key of record i: distinct, name-like (ten letters, then the number), in
// an order unrelated to i.
std::string Key(uint32_t i, uint32_t n) {
  uint64_t h = (uint64_t{i} + 1) * 0x9E3779B97F4A7C15ull;
  char buf[24];
  for (int k = 0; k < 10; ++k) {
    buf[k] = static_cast<char>('A' + (h >> 58) % 26);
    h = h * 6364136223846793005ull + 1442695040888963407ull;
  }
  std::snprintf(buf + 10, sizeof buf - 10, "-%07u", i);
  (void)n;
  return buf;
}

Value Structure() {
  auto row = [](const char* name, const char* type, int len, int dec) {
    return Value(Array{Value(name), Value(type), Value(len), Value(dec)});
  };
  // 1 + 20 + 30 + 12 + 8 + 8 + 1 + 20 = 100 bytes a record.
  return Value(Array{row("NAME", "C", 20, 0), row("CITY", "C", 30, 0), row("AMOUNT", "N", 12, 2),
                     row("QTY", "N", 8, 0), row("BORN", "D", 8, 0), row("ACTIVE", "L", 1, 0),
                     row("NOTE", "C", 20, 0)});
}

void FillRecord(uint32_t i, uint32_t n) {
  db::FieldPut(1, Value(Key(i, n)));
  db::FieldPut(2, Value("Musterstadt"));
  db::FieldPut(3, Value((i % 100000) * 1.25));
  db::FieldPut(4, Value(static_cast<int>(i % 1000)));
  db::FieldPut(5, Value(Date::FromYmd(1950 + static_cast<int>(i % 60), 1 + static_cast<int>(i % 12),
                                      1 + static_cast<int>(i % 28))));
  db::FieldPut(6, Value(i % 2 == 0));
  db::FieldPut(7, Value("Bemerkung"));
}

void Append(benchmark::State& state, bool shared, const std::string& name, uint32_t n) {
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::create_directories(Dir());
    db::DbCloseAll();
    db::DbCreate(Value(File(name)), Structure());
    db::DbUseArea(Value(), Value(), Value(File(name)), Value(), Value(shared));
    db::OrdCreate(Value(File(name + "_name")), Value(), Value("NAME"));
    state.ResumeTiming();
    for (uint32_t i = 0; i < n; ++i) {
      db::DbAppend();
      FillRecord(i, n);
      if (shared) db::DbUnlock();
    }
    db::DbCommit();
    state.PauseTiming();
    db::DbCloseAll();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void BM_AppendExclusiveWithIndex(benchmark::State& state) {
  Append(state, false, "bench", Records());
}
BENCHMARK(BM_AppendExclusiveWithIndex)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AppendSharedWithLocks(benchmark::State& state) {
  Append(state, true, "shared", Records() / 5);
}
BENCHMARK(BM_AppendSharedWithLocks)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_IndexCreate(benchmark::State& state) {
  db::DbCloseAll();
  db::DbUseArea(Value(), Value(), Value(File("bench")), Value(), Value(false));
  for (auto _ : state) {
    db::OrdCreate(Value(File("bench_created")), Value(), Value("NAME"));
    state.PauseTiming();
    db::OrdListClear();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(db::LastRec()));
  db::DbCloseAll();
}
BENCHMARK(BM_IndexCreate)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SeekRandomExisting(benchmark::State& state) {
  db::DbCloseAll();
  db::DbUseArea(Value(), Value(), Value(File("bench")), Value(), Value(state.range(0) == 1));
  // The index kept up by the appends (pages about half full), or the one built
  // by OrdCreate on the whole table.
  db::OrdListAdd(Value(File(state.range(1) == 0 ? "bench_name" : "bench_created")));
  const uint32_t n = Records();
  std::mt19937 rng(42);
  std::vector<Value> keys;
  for (int i = 0; i < 100000; ++i) keys.push_back(Value(Key(rng() % n, n)));
  size_t k = 0, misses = 0;
  for (auto _ : state) {
    if (!db::DbSeek(keys[k])) ++misses;
    if (++k == keys.size()) k = 0;
  }
  if (misses > 0) state.SkipWithError("a key was not found");
  state.SetItemsProcessed(state.iterations());
  db::DbCloseAll();
}
BENCHMARK(BM_SeekRandomExisting)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"shared", "created"})
    ->MinTime(2.0)
    ->UseRealTime();

void BM_FullScanEveryField(benchmark::State& state) {
  db::DbCloseAll();
  db::DbUseArea(Value(), Value(), Value(File("bench")), Value(), Value(false));
  int64_t records = 0;
  for (auto _ : state) {
    double sum = 0;
    for (db::DbGoTop(); !db::Eof(); db::DbSkip()) {
      for (int f = 1; f <= 7; ++f) {
        Value v = db::FieldGet(f);
        if (v.isNumber()) sum += v.number();
      }
      ++records;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(records);
  db::DbCloseAll();
}
BENCHMARK(BM_FullScanEveryField)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExportWholeTable(benchmark::State& state) {
  db::DbCloseAll();
  db::DbUseArea(Value(), Value(), Value(File("bench")), Value(), Value(true));
  for (auto _ : state) db::_DbExport(Value(File("export")));
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(db::LastRec()));
  db::DbCloseAll();
}
BENCHMARK(BM_ExportWholeTable)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
