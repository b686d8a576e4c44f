// Throughput of the response decoding path on a 10 MB text: Base64 decode and gunzip, each
// beside its peer (OpenSSL's EVP_DecodeBlock, a plain zlib inflate loop). Prints MB/s of the
// decoded text and the ratio of our time to the peer's (below 1 is faster).
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <cstdio>
#include <map>
#include <string>

#include "codec/base64.h"
#include "codec/gzip.h"

namespace {

// About 10 MB of roster-like JSON rows, the kind of text the server answers with.
const std::string& Text() {
  static const std::string text = [] {
    std::string s;
    s.reserve(10'500'000);
    s += "[";
    for (unsigned i = 0; s.size() < 10'000'000; ++i) {
      s += "{\"rydjxh\":\"2014403" + std::to_string(100000000 + i * 7919u % 900000000) +
           "\",\"xm\":\"张" + std::to_string(i % 1000) + "\",\"zjlx\":\"201\",\"zjhm\":\"44030" +
           std::to_string(1970 + i % 50) + std::to_string(100000 + i % 899999) +
           "\",\"jfnd\":\"2024\",\"yjfe\":\"" + std::to_string(100 + i % 5000) + ".50\"},";
    }
    s.back() = ']';
    return s;
  }();
  return text;
}
const std::string& Encoded() {
  static const std::string e = velmor::Base64Encode(Text());
  return e;
}
const std::string& Packed() {
  static const std::string z = velmor::GzipCompress(Text());
  return z;
}

void BM_Base64Decode(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(velmor::Base64Decode(Encoded()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Text().size()));
}
BENCHMARK(BM_Base64Decode)->Unit(benchmark::kMillisecond);

void BM_Base64Decode_EvpDecodeBlock(benchmark::State& state) {
  const std::string& in = Encoded();
  for (auto _ : state) {
    // Sized and returned as a string like ours, so both pay for the output buffer.
    std::string out(in.size() / 4 * 3, '\0');
    const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                  reinterpret_cast<const unsigned char*>(in.data()), static_cast<int>(in.size()));
    if (n < 0) state.SkipWithError("EVP_DecodeBlock failed");
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Text().size()));
}
BENCHMARK(BM_Base64Decode_EvpDecodeBlock)->Unit(benchmark::kMillisecond);

void BM_Gunzip(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(velmor::GzipDecompress(Packed()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Text().size()));
}
BENCHMARK(BM_Gunzip)->Unit(benchmark::kMillisecond);

// The loop a zlib user writes: 64 KB of output at a time, appended to a string.
void BM_Gunzip_ZlibInflateLoop(benchmark::State& state) {
  const std::string& in = Packed();
  for (auto _ : state) {
    z_stream s{};
    inflateInit2(&s, 15 + 16);
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    s.avail_in = static_cast<uInt>(in.size());
    std::string out;
    unsigned char chunk[65536];
    int rc;
    do {
      s.next_out = chunk;
      s.avail_out = sizeof chunk;
      rc = inflate(&s, Z_NO_FLUSH);
      out.append(reinterpret_cast<char*>(chunk), sizeof chunk - s.avail_out);
    } while (rc == Z_OK);
    inflateEnd(&s);
    if (rc != Z_STREAM_END) state.SkipWithError("inflate failed");
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Text().size()));
}
BENCHMARK(BM_Gunzip_ZlibInflateLoop)->Unit(benchmark::kMillisecond);

void BM_Base64Encode(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(velmor::Base64Encode(Text()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Text().size()));
}
BENCHMARK(BM_Base64Encode)->Unit(benchmark::kMillisecond);

void BM_GzipCompress(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(velmor::GzipCompress(Text()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Text().size()));
}
BENCHMARK(BM_GzipCompress)->Unit(benchmark::kMillisecond);

// Console output plus a record of each benchmark's time per iteration for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && !r.error_occurred)
        seconds_[r.benchmark_name()] = r.real_accumulated_time / static_cast<double>(r.iterations);
  }
  void Summary() const {
    const double mb = static_cast<double>(Text().size()) / 1e6;
    std::printf("\ntext %.1f MB, Base64 %.1f MB, gzip %.1f MB\n", mb, Encoded().size() / 1e6,
                Packed().size() / 1e6);
    for (const auto& [name, s] : seconds_) std::printf("%-34s %8.1f MB/s\n", name.c_str(), mb / s);
    Ratio("Base64Decode", "BM_Base64Decode", "BM_Base64Decode_EvpDecodeBlock");
    Ratio("Gunzip", "BM_Gunzip", "BM_Gunzip_ZlibInflateLoop");
  }

 private:
  void Ratio(const char* what, const std::string& ours, const std::string& peer) const {
    const auto a = seconds_.find(ours), b = seconds_.find(peer);
    if (a == seconds_.end() || b == seconds_.end()) return;
    std::printf("ratio %s: ours/peer time = %.2f\n", what, a->second / b->second);
  }
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Text(), Encoded(), Packed();  // build the inputs outside the timed runs
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.Summary();
  benchmark::Shutdown();
  return 0;
}
