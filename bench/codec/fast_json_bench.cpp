// TFastParseJson against simdjson's DOM parse, on the decoded text and end to end from the
// Base64 gzip member.
#include <benchmark/benchmark.h>
#include <simdjson.h>

#include "codec/base64.h"
#include "codec/fast_json.h"
#include "codec/gzip.h"
#include "fastparse_bench.h"

namespace velmor::bench {

const std::string& EnrolmentJson() {
  static const std::string text = [] {
    static const char* kTowns[] = {"南头街道", "粤海街道", "沙河街道", "西丽街道"};
    static const char* kKinds[] = {"普通居民", "低保对象", "重度残疾人", "在校学生"};
    std::string s = "[";
    s.reserve(45'000'000);
    for (int i = 0; i < kEnrolmentRecords; ++i) {
      std::string n = std::to_string(i);
      int t = i % 4;
      if (i) s += ',';
      s += "{\"cbxxID\":\"1044030000" + std::to_string(1000000000 + i) + "\",\"djxh\":\"10114403000" +
           std::to_string(100000000 + i / 3) + "\",\"cbxzID\":\"2044030000" + std::to_string(1000000000 + i) +
           "\",\"zsxmDm\":\"10210\",\"zspmDm\":\"1021001" + std::to_string(10 + i % 3) +
           "\",\"zszmDm\":\"102100101\",\"xzlxDm\":\"0" + std::to_string(1 + i % 2) +
           "\",\"xzjdDm\":\"44030500" + std::to_string(t) + "\",\"xzjdMc\":\"" + kTowns[t] +
           "\",\"sqczDm\":\"4403050010" + std::to_string(10 + i % 40) + "\",\"sqczMc\":\"第" +
           std::to_string(i % 40) + "社区居委会\",\"rycbtslbDm\":\"0" + std::to_string(t) +
           "\",\"rycbtslbMc\":\"" + kKinds[t] + "\",\"ksjfrq\":\"2024-01-01\",\"tzjfrq\":\"" +
           (i % 5 ? "2024-12-31" : "9999-12-31") + "\",\"xgrq\":\"2024-03-" + std::to_string(10 + i % 18) +
           " 10:2" + std::to_string(i % 10) + ":30\",\"yxbz\":\"" + (i % 7 ? "Y" : "N") + "\"}";
    }
    s += "]";
    return s;
  }();
  return text;
}

const std::string& EnrolmentPacked() {
  static const std::string packed = Base64Encode(GzipCompress(EnrolmentJson()));
  return packed;
}

namespace {

// Warm: one reader (cleared) and one simdjson parser serve every iteration, so neither pays
// for fresh memory after the first.
void BM_FastJson_Text(benchmark::State& state) {
  const std::string& text = EnrolmentJson();
  TFastParseJson reader;
  for (auto _ : state) {
    reader.Clear();
    if (reader.ParseText(text) != kEnrolmentRecords) state.SkipWithError("wrong record count");
    benchmark::DoNotOptimize(reader.Value(kEnrolmentRecords - 1, 16).data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_FastJson_Text)->Unit(benchmark::kMillisecond);

void BM_Simdjson_DomParse(benchmark::State& state) {
  simdjson::padded_string text(EnrolmentJson());
  simdjson::dom::parser parser;
  for (auto _ : state) {
    simdjson::dom::element doc;
    if (parser.parse(text).get(doc)) state.SkipWithError("simdjson failed");
    benchmark::DoNotOptimize(doc);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Simdjson_DomParse)->Unit(benchmark::kMillisecond);

// Cold: a new reader and a new simdjson parser per iteration, as when each answer gets its own.
void BM_FastJson_Text_Cold(benchmark::State& state) {
  const std::string& text = EnrolmentJson();
  for (auto _ : state) {
    TFastParseJson reader;
    if (reader.ParseText(text) != kEnrolmentRecords) state.SkipWithError("wrong record count");
    benchmark::DoNotOptimize(reader.Value(kEnrolmentRecords - 1, 16).data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_FastJson_Text_Cold)->Unit(benchmark::kMillisecond);

void BM_Simdjson_DomParse_Cold(benchmark::State& state) {
  simdjson::padded_string text(EnrolmentJson());
  for (auto _ : state) {
    simdjson::dom::parser parser;
    simdjson::dom::element doc;
    if (parser.parse(text).get(doc)) state.SkipWithError("simdjson failed");
    benchmark::DoNotOptimize(doc);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Simdjson_DomParse_Cold)->Unit(benchmark::kMillisecond);

void BM_FastJson_Packed(benchmark::State& state) {
  const std::string& packed = EnrolmentPacked();
  TFastParseJson reader;  // reused, as the peer reuses its parser
  for (auto _ : state) {
    reader.Clear();
    if (reader.Parse(packed, true) != kEnrolmentRecords) state.SkipWithError("wrong record count");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(EnrolmentJson().size()));
}
BENCHMARK(BM_FastJson_Packed)->Unit(benchmark::kMillisecond);

// The same decoding helpers, then simdjson (which needs its own padded copy of the text).
void BM_Simdjson_Packed(benchmark::State& state) {
  const std::string& packed = EnrolmentPacked();
  simdjson::dom::parser parser;
  for (auto _ : state) {
    std::string json = GzipDecompress(Base64Decode(packed));
    simdjson::dom::element doc;
    if (parser.parse(simdjson::padded_string(json)).get(doc)) state.SkipWithError("simdjson failed");
    benchmark::DoNotOptimize(doc);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(EnrolmentJson().size()));
}
BENCHMARK(BM_Simdjson_Packed)->Unit(benchmark::kMillisecond);

const bool kRatios = [] {
  AddRatio({"JSON text (warm)", "BM_FastJson_Text", "BM_Simdjson_DomParse", &EnrolmentJson, 0.5});
  AddRatio({"JSON text (cold)", "BM_FastJson_Text_Cold", "BM_Simdjson_DomParse_Cold", &EnrolmentJson, 0});
  AddRatio({"JSON from Base64 gzip", "BM_FastJson_Packed", "BM_Simdjson_Packed", &EnrolmentJson, 0});
  return true;
}();

}  // namespace
}  // namespace velmor::bench
