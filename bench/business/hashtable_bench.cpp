// THashTable and TBaseHashTable against std::unordered_map<std::string, void*>: insert, hit and
// miss over 10k and 1M keys shaped like identity-document numbers (18 characters). Prints the
// usual table, then the time ratio of each table to the unordered map.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "business/hash_table.h"

namespace {

using velmor::TBaseHashTable;
using velmor::THashTable;

// Deterministic keys: `count` distinct 18-digit texts, 17 scrambled digits (a bijection of the
// index modulo 10^17) and a last digit that is even in the hit set (salt 0) and odd in the miss set
// (salt 1), so that misses interleave with hits in every sorted bucket.
const std::vector<std::string>& Keys(int64_t count, int salt) {
  static std::map<std::pair<int64_t, int>, std::vector<std::string>> cache;
  auto& keys = cache[{count, salt}];
  if (keys.empty()) {
    constexpr unsigned __int128 kMod = 100000000000000000ull;  // 10^17
    keys.reserve(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) {
      auto scrambled = static_cast<unsigned long long>(
          (static_cast<unsigned __int128>(i) * 6364136223846793007ull + 1442695040888963407ull + salt * 7919ull) % kMod);
      char buf[32];
      std::snprintf(buf, sizeof buf, "%017llu%c", scrambled, static_cast<char>('0' + 2 * (i % 5) + salt));
      keys.emplace_back(buf);
    }
  }
  return keys;
}

struct UnorderedMap {
  std::unordered_map<std::string, void*> m;
  void Add(const std::string& k, void* o) { m[k] = o; }
  void* Get(const std::string& k) {
    auto it = m.find(k);
    return it == m.end() ? nullptr : it->second;
  }
};
template <class T>
struct Velmor {
  T t;
  void Add(const std::string& k, void* o) { t.Add(k, o); }
  void* Get(const std::string& k) { return t.GetObject(k); }
};
using Hash256 = Velmor<THashTable>;
using HashBase = Velmor<TBaseHashTable>;

template <class Table>
void BM_Insert(benchmark::State& state) {
  const auto& keys = Keys(state.range(0), 0);
  for (auto _ : state) {
    Table t;
    for (const auto& k : keys) t.Add(k, const_cast<std::string*>(&k));
    benchmark::DoNotOptimize(t);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <class Table>
void Lookup(benchmark::State& state, int salt) {
  const auto& keys = Keys(state.range(0), 0);
  const auto& probes = Keys(state.range(0), salt);
  Table t;
  for (const auto& k : keys) t.Add(k, const_cast<std::string*>(&k));
  size_t found = 0;
  for (auto _ : state) {
    for (const auto& k : probes) found += t.Get(k) != nullptr;
  }
  benchmark::DoNotOptimize(found);
  if (found != (salt ? 0 : static_cast<size_t>(state.iterations() * state.range(0)))) state.SkipWithError("wrong result");
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
template <class Table>
void BM_Hit(benchmark::State& state) { Lookup<Table>(state, 0); }
template <class Table>
void BM_Miss(benchmark::State& state) { Lookup<Table>(state, 1); }

#define VELMOR_TABLE_BENCH(Op)                                                                     \
  BENCHMARK_TEMPLATE(Op, UnorderedMap)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);  \
  BENCHMARK_TEMPLATE(Op, Hash256)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);       \
  BENCHMARK_TEMPLATE(Op, HashBase)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
VELMOR_TABLE_BENCH(BM_Insert)
VELMOR_TABLE_BENCH(BM_Hit)
VELMOR_TABLE_BENCH(BM_Miss)

// Collects the times while the console reporter prints as usual.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (!r.error_occurred) times_[r.benchmark_name()] = r.GetAdjustedCPUTime();
  }
  void PrintRatios() const {
    std::printf("\nCPU-time ratio to std::unordered_map<std::string, void*> (>1 = slower):\n");
    std::printf("%-10s %9s %12s %15s\n", "operation", "keys", "THashTable", "TBaseHashTable");
    for (const char* op : {"BM_Insert", "BM_Hit", "BM_Miss"}) {
      for (const char* n : {"10000", "1000000"}) {
        auto time = [&](const char* table) {
          auto it = times_.find(std::string(op) + "<" + table + ">/" + n);
          return it == times_.end() ? 0.0 : it->second;
        };
        double base = time("UnorderedMap");
        if (base <= 0) continue;
        std::printf("%-10s %9s %12.2f %15.2f\n", op + 3, n, time("Hash256") / base, time("HashBase") / base);
      }
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
