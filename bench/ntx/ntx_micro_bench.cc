// Micro-benchmarks of the NTX file alone (no table): building an index of
// 1,000,000 C(20) keys, random seeks, random inserts exclusive and shared.
// Run: build/bench/ntx/ntx_micro_bench (files go to $TMPDIR or /tmp).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <random>

#include "runtime/db/ntx/ntx_file.h"

namespace kalvento::rt::db {
namespace {

constexpr int kRecords = 1000000;
const KeySpec kSpec{'C', 20, 0};

std::string TempPath(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr ? dir : "/tmp") + "/ntx_bench_" + std::to_string(::getpid()) + "_" + name;
}

// Keys as a name field would hold them: a random word, blank-padded.
std::string RandomKey(std::mt19937& rng) {
  std::string key(20, ' ');
  int len = 6 + static_cast<int>(rng() % 12);
  for (int i = 0; i < len; ++i) key[i] = static_cast<char>('A' + rng() % 26);
  return key;
}

std::vector<KeyEntry> Entries(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<KeyEntry> entries;
  entries.reserve(n);
  for (int i = 1; i <= n; ++i) entries.push_back({RandomKey(rng), static_cast<uint32_t>(i)});
  return entries;
}

void BM_Create(benchmark::State& state) {
  std::vector<KeyEntry> entries = Entries(kRecords, 1);
  std::string path = TempPath("create.ntx");
  for (auto _ : state) {
    auto copy = entries;
    auto ntx = NtxFile::Create(path, "name", kSpec, false, std::move(copy));
    benchmark::DoNotOptimize(ntx);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
  ::unlink(path.c_str());
}
BENCHMARK(BM_Create)->Unit(benchmark::kMillisecond)->Iterations(3);

// Keys that share a long prefix: zero-padded numbers in random order.
void BM_CreateCommonPrefix(benchmark::State& state) {
  std::vector<KeyEntry> entries;
  entries.reserve(kRecords);
  char buf[32];
  for (int i = 1; i <= kRecords; ++i) {
    std::snprintf(buf, sizeof buf, "K%019d", i);
    entries.push_back({buf, static_cast<uint32_t>(i)});
  }
  std::shuffle(entries.begin(), entries.end(), std::mt19937(6));
  std::string path = TempPath("prefix.ntx");
  for (auto _ : state) {
    auto copy = entries;
    auto ntx = NtxFile::Create(path, "name", kSpec, false, std::move(copy));
    benchmark::DoNotOptimize(ntx);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
  ::unlink(path.c_str());
}
BENCHMARK(BM_CreateCommonPrefix)->Unit(benchmark::kMillisecond)->Iterations(3);

void Seek(benchmark::State& state, bool shared) {
  std::vector<KeyEntry> entries = Entries(kRecords, 2);
  std::vector<std::string> probes;
  std::mt19937 rng(3);
  for (int i = 0; i < 100000; ++i) probes.push_back(entries[rng() % entries.size()].key);
  std::string path = TempPath("seek.ntx");
  NtxFile::Create(path, "name", kSpec, false, entries);
  auto ntx = NtxFile::Open(path, {.readOnly = false, .shared = shared});
  size_t i = 0;
  for (auto _ : state) {
    bool found = ntx->seek(probes[i++ % probes.size()], false);
    if (!found) state.SkipWithError("key not found");
  }
  state.SetItemsProcessed(state.iterations());
  ::unlink(path.c_str());
}
void BM_SeekExclusive(benchmark::State& state) { Seek(state, false); }
void BM_SeekShared(benchmark::State& state) { Seek(state, true); }
BENCHMARK(BM_SeekExclusive);
BENCHMARK(BM_SeekShared);

void Insert(benchmark::State& state, bool shared) {
  std::string path = TempPath("insert.ntx");
  NtxFile::Create(path, "name", kSpec, false, Entries(kRecords / 2, 4));
  auto ntx = NtxFile::Open(path, {.readOnly = false, .shared = shared});
  std::mt19937 rng(5);
  uint32_t rec = kRecords / 2;
  for (auto _ : state) ntx->insert(RandomKey(rng), ++rec);
  ntx->flush();
  state.SetItemsProcessed(state.iterations());
  ::unlink(path.c_str());
}
void BM_InsertExclusive(benchmark::State& state) { Insert(state, false); }
void BM_InsertShared(benchmark::State& state) { Insert(state, true); }
BENCHMARK(BM_InsertExclusive)->Iterations(500000);
BENCHMARK(BM_InsertShared)->Iterations(50000);

}  // namespace
}  // namespace kalvento::rt::db
