// Reading a large JSON string with escapes: the shape of the wire's envelope, whose "response"
// member carries a whole answer (tens of MB of JSON, a quote every few bytes, Chinese names) as
// one string. Prints MB/s of the encoded text.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>
#include <string>

#include "codec/json_cursor.h"

namespace {

// About 30 MB of arrears-like rows with Chinese names.
const std::string& Rows() {
  static const std::string text = [] {
    static const char* kNames[] = {"张三", "李四", "王五", "赵六"};
    std::string rows = "[";
    for (unsigned i = 0; rows.size() < 30'000'000; ++i) {
      if (i) rows += ',';
      rows +=
          "{\"yzpzxh\":\"1044030" + std::to_string(100000000 + i) + "\",\"xm\":\"" + kNames[i % 4] +
          "\",\"zsxmMc\":\"城乡居民基本养老保险费\",\"skssqq\":\"2026-01-01\",\"skssqz\":\"2026-12-31\",\"ybtse\":\"" +
          std::to_string(100 + i % 5000) + ".00\",\"bz\":\"第" + std::to_string(i % 12 + 1) + "期\\t\"}";
    }
    rows += "]";
    return rows;
  }();
  return text;
}

// The rows escaped into one string, as the envelope carries them: about 40 MB.
const std::string& Escaped() {
  static const std::string text = nlohmann::json(Rows()).dump();
  return text;
}

void BM_JsonCursor_EscapedString(benchmark::State& state) {
  const std::string& text = Escaped();
  std::string out;
  out.reserve(text.size());
  for (auto _ : state) {
    velmor::JsonCursor c(text);
    bool escaped = false;
    benchmark::DoNotOptimize(c.String(out, &escaped).size());
    if (!escaped) state.SkipWithError("expected escapes");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_JsonCursor_EscapedString)->Unit(benchmark::kMillisecond);

// The envelope's way: the string passed over to find its end, then decoded where it stands
// (into a copy of the text, made outside the timing).
void BM_JsonCursor_EscapedStringInPlace(benchmark::State& state) {
  const std::string& text = Escaped();
  std::string buffer;
  for (auto _ : state) {
    state.PauseTiming();
    buffer = text;
    state.ResumeTiming();
    velmor::JsonCursor raw(buffer);
    benchmark::DoNotOptimize(raw.RawString().size());
    velmor::JsonCursor c(buffer);
    benchmark::DoNotOptimize(c.StringTo(buffer.data()));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_JsonCursor_EscapedStringInPlace)->Unit(benchmark::kMillisecond);

// A listing read value by value where it stands: every key and string passed over, as the
// readers of large answers do.
void BM_JsonCursor_Rows(benchmark::State& state) {
  const std::string& text = Rows();
  for (auto _ : state) {
    velmor::JsonCursor c(text);
    benchmark::DoNotOptimize(c.Skip().size());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_JsonCursor_Rows)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
