// bench_arrears: the arrears list of the payment step at 100,000 persons: a "0007" answer of
// 200,000 lines (one office), then the levy documents' answer repeating the same lines, read into
// the list (ArrearsLines) and handed out sorted, against the general parser's trees of the two
// answers. Prints lines per second for both.
#include <benchmark/benchmark.h>

#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "payment/arrears_lines.h"

namespace velmor::bench {
namespace {

using payment::ArrearsLines;

constexpr int kLines = 200000;

const ArrearsLines::ItemCodes& Items() {
  static const ArrearsLines::ItemCodes items{"102100110", "102200110"};
  return items;
}

const std::string& Answer() {
  static const std::string text = [] {
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    for (int i = 0; i < kLines; ++i) {
      const std::string n = std::to_string(i);
      lines.push_back({{"hsjg", "14403050000"},
                       {"jkqx", "2026-12-31"},
                       {"qfje", "300.00"},
                       {"sbbm", "SB" + n},
                       {"sbjbjgDm", "14403050000"},
                       {"skgkDm", "GK14403050000"},
                       {"skgkMc", "国库14403050000"},
                       {"skssqq", "2026-01-01"},
                       {"skssqz", "2026-12-31"},
                       {"yzpzmxxh", std::to_string(i % 500 + 1)},
                       {"yzpzxh", "YZ2026" + std::to_string(i / 500)},
                       {"zsjgDm", "14403050000"},
                       {"zspmDm", i % 2 ? "102100110" : "102200110"},
                       {"zsswjgMc", "税务所14403050000"},
                       {"zsuuid", "ZS-2026-" + std::to_string(1000000 + i * 7)},
                       {"zsxmDm", "10210"},
                       {"zszmDm", "102100101"}});
    }
    nlohmann::ordered_json office = {
        {"code", "SUCCESS"}, {"message", ""}, {"qfxxMxList", std::move(lines)}, {"zgswskfjdm", "14403050000"}};
    return nlohmann::ordered_json{{"qfxxList", nlohmann::ordered_json::array({std::move(office)})}}.dump();
  }();
  return text;
}

void BM_Arrears_Lines(benchmark::State& state) {
  Answer();
  for (auto _ : state) {
    ArrearsLines lines(Items());
    lines.Absorb(Answer());
    lines.Absorb(Answer());
    benchmark::DoNotOptimize(lines.TakeSortedJson());
  }
  state.counters["lines/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kLines, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Arrears_Lines)->Unit(benchmark::kMillisecond);

// The same through trees: both answers parsed, lines of an item code kept once per levy.
void BM_Arrears_Trees(benchmark::State& state) {
  Answer();
  for (auto _ : state) {
    nlohmann::ordered_json kept = nlohmann::ordered_json::array();
    std::set<std::string> seen;
    for (int pass = 0; pass < 2; ++pass) {
      const auto tree = nlohmann::ordered_json::parse(Answer());
      for (const auto& office : tree["qfxxList"])
        for (const auto& l : office["qfxxMxList"])
          if (Items().count(l["zspmDm"].get<std::string>()) && seen.insert(l["zsuuid"].get<std::string>()).second)
            kept.push_back(l);
    }
    benchmark::DoNotOptimize(kept.dump());
  }
  state.counters["lines/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kLines, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Arrears_Trees)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmor::bench

BENCHMARK_MAIN();
