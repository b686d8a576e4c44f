// bench_fast_list: a payable-information answer ("0027" shape: rows of 20 short fields, Base64 of
// a gzip member) read into its rows, streamed (FastList: read and checked, then read again while
// the rows are handed on) against the whole document (unpacked text, tree, walk), and the first
// reading alone. Prints each side's rows per second; the streamed side holds neither the tree nor
// the unpacked text.
#include <benchmark/benchmark.h>

#include <string>

#include "codec/base64.h"
#include "codec/gzip.h"
#include "codec/xml_document.h"
#include "service/fast_answer.h"

namespace velmor::bench {
namespace {

constexpr int kRows = 50000;

const std::string& PackedAnswer() {
  static const std::string text = [] {
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<taxML>\n  <code>00000</code>\n"
                    "  <message>处理成功</message>\n  <sbfWsbZjxxDetailList>\n";
    const char* names[] = {"cxjmhdid", "sjly", "jhsx", "zjtzlsh", "sblsh", "xxh", "sbjbjgDm", "cxjmsbbm", "tcqBm",
                           "fkssqq", "fkssqz", "zsxmDm", "zspmDm", "zszmDm", "sjscrq", "yjfe", "zjyxrq", "xzjddm",
                           "sqczdm", "bz"};
    for (int i = 0; i < kRows; ++i) {
      const std::string n = std::to_string(i + 1);
      const std::string values[] = {"HD0001" + n, "03", std::to_string(i % 3 + 1), "ZJ2026-" + std::to_string(i / 3 + 1),
                                    "SB" + n, n, "14403050000", "R" + std::to_string(440000000 + i), "440305",
                                    "2026-01-01", "2026-12-31", "10210", "102100110", "102100101", "2026-01-05",
                                    "380.00", i % 2 ? "" : "2026-06-30", i % 2 ? "" : "440305001",
                                    i % 2 ? "" : "440305001001", ""};
      s += "    <sbfWsbZjxxDetailDTO>\n";
      for (size_t k = 0; k < std::size(names); ++k) {
        s += std::string("      <") + names[k] + ">" + values[k] + "</" + names[k] + ">\n";
      }
      s += "    </sbfWsbZjxxDetailDTO>\n";
    }
    s += "  </sbfWsbZjxxDetailList>\n</taxML>\n";
    return Base64Encode(GzipCompress(s));
  }();
  return text;
}

void BM_FastList_Streamed(benchmark::State& state) {
  PackedAnswer();  // made before the timing
  for (auto _ : state) {
    service::FastList list(PackedAnswer(), "sbfWsbZjxxDetailList", true);
    size_t fields = 0;
    list.ForEach([&](const nlohmann::ordered_json& row) { fields += row.size(); });
    benchmark::DoNotOptimize(fields);
  }
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kRows, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FastList_Streamed)->Unit(benchmark::kMillisecond);

// The first reading alone: unpacked, read and checked, rows counted.
void BM_FastList_Check(benchmark::State& state) {
  PackedAnswer();
  for (auto _ : state) benchmark::DoNotOptimize(service::FastList(PackedAnswer(), "sbfWsbZjxxDetailList", true).Count());
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kRows, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FastList_Check)->Unit(benchmark::kMillisecond);

// What FastList did before: the whole text, its tree, then the rows.
void BM_FastList_WholeDocument(benchmark::State& state) {
  PackedAnswer();
  for (auto _ : state) {
    Ref<IXMLDocument> doc = LoadXMLDocument(GzipDecompress(Base64Decode(PackedAnswer())));
    Ref<IXMLNode> list = doc->GetRoot()->FindChild("sbfWsbZjxxDetailList");
    size_t fields = 0;
    nlohmann::ordered_json r;
    for (int32_t i = 0; i < list->GetChildCount(); ++i) {
      Ref<IXMLNode> row = list->GetChild(i);
      r = nlohmann::ordered_json::object();
      for (int32_t j = 0; j < row->GetChildCount(); ++j) {
        Ref<IXMLNode> field = row->GetChild(j);
        r[field->GetNodeName()] = field->GetText();
      }
      fields += r.size();
    }
    benchmark::DoNotOptimize(fields);
  }
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kRows, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FastList_WholeDocument)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmor::bench

BENCHMARK_MAIN();
