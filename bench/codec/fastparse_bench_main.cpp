// bench_fastparse: the fast JSON reader against simdjson's DOM parse and the fast XML document
// against pugixml, on generated texts of the size the server answers with. After the runs it
// prints each side's throughput (bytes of text per CPU second) and the throughput ratio
// ours/peer (1 = as fast as the peer).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "fastparse_bench.h"

namespace velmor::bench {

namespace {
std::vector<RatioPair>& Pairs() {
  static std::vector<RatioPair> pairs;
  return pairs;
}
}  // namespace

void AddRatio(const RatioPair& pair) { Pairs().push_back(pair); }

namespace {

class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Iteration && !r.error_occurred) {
        // CPU time (the machine is shared; both sides run on one thread), the best of the
        // repetitions when there are several.
        double t = r.cpu_accumulated_time / static_cast<double>(r.iterations);
        auto [it, fresh] = seconds_.emplace(r.run_name.function_name, t);
        if (!fresh && t < it->second) it->second = t;
      }
    }
  }
  void Summary() const {
    std::printf("\ninputs: JSON %.1f MB (%d records), packed %.1f MB; taxML %.1f MB (%d rows of %zu fields)\n",
                EnrolmentJson().size() / 1e6, kEnrolmentRecords, EnrolmentPacked().size() / 1e6,
                TaxmlResponse().size() / 1e6, TaxmlRowCount(), TaxmlRowFields().size());
    for (const RatioPair& p : Pairs()) {
      auto a = seconds_.find(p.ours), b = seconds_.find(p.peer);
      if (a == seconds_.end() || b == seconds_.end()) continue;
      double bytes = static_cast<double>(p.input().size());
      double ours = bytes / a->second / 1e6, peer = bytes / b->second / 1e6;
      double ratio = b->second / a->second;
      std::printf("%-22s ours %8.1f MB/s  peer %8.1f MB/s  ratio %.2fx", p.what, ours, peer, ratio);
      if (p.goal > 0) std::printf("  (goal %.1fx: %s)", p.goal, ratio >= p.goal ? "met" : "MISSED");
      std::printf("\n");
    }
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace
}  // namespace velmor::bench

int main(int argc, char** argv) {
  using namespace velmor::bench;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  EnrolmentJson(), EnrolmentPacked(), TaxmlResponse();  // built outside the timed runs
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.Summary();
  benchmark::Shutdown();
  return 0;
}
