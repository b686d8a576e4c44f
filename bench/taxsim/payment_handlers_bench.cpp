// bench_taxsim_payment: the simulated server's side of the working day's declaration and payment
// at 100,000 persons (200,000 declared rows), each handler as the server runs it: the submission
// ("0004", its document parsed where it stands), the arrears ("0007", and the payment service's
// "0901"), the deduction of half the lines ("0008", its body decoded from the text the client
// sends) and the vouchers of the rest ("0010"). The client waits for each of these answers with
// nothing else to do, so their time is the demo's. Each iteration starts from a copy of the state
// it needs, made outside the timing.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "taxsim/call.h"
#include "taxsim/handlers.h"
#include "taxsim/state.h"

namespace velmor::taxsim {
namespace {

using OJson = nlohmann::ordered_json;

const HandlerRegistry& Registry() {
  static const HandlerRegistry* const registry = [] {
    auto* r = new HandlerRegistry;  // kept for the program's life
    RegisterDeclaration(*r);
    RegisterPaymentHandlers(*r);
    return r;
  }();
  return *registry;
}

const State& Roster() {
  static const State state = Generate({.persons = 100000, .payers = 1, .seed = 1});
  return state;
}

// The declaration's document: a row per insured item of the payer, as the client writes it.
const std::string& DeclarationXml() {
  static const std::string xml = [] {
    std::string x = R"(<?xml version="1.0" encoding="UTF-8"?><taxML><sbfJfsbbmxList>)";
    size_t n = 0;
    for (const Item& item : Roster().items) {
      char amount[32];
      std::snprintf(amount, sizeof amount, "%.2f", item.yjfe);
      x += "<sbfJfsbbmxDTO><jfmxxh>" + std::to_string(++n) + "</jfmxxh><sbjbjgDm>" + item.sbjbjgDm +
           "</sbjbjgDm><cxjmsbbm>" + item.rybh + "</cxjmsbbm><jhsx></jhsx><zsxmDm>" + item.zsxmDm +
           "</zsxmDm><zspmDm>" + item.zspmDm + "</zspmDm><zszmDm>" + item.zszmDm + "</zszmDm><jfnd>" + item.jfnd +
           "</jfnd><yjfe>" + amount + "</yjfe><yjfje>" + amount + "</yjfje><ybtfe>" + amount +
           "</ybtfe></sbfJfsbbmxDTO>";
    }
    return x + "</sbfJfsbbmxList></taxML>";
  }();
  return xml;
}

Answer Run(const Call& call, State& s) { return Registry().Find(call.serviceCode)(call, s); }

Call Submission(const std::string& djxh) {
  Call call;
  call.serviceCode = "0004";
  call.body = {{"djxh", djxh}, {"yblsh", "BENCH1"}};
  call.document = std::make_unique<RequestDocument>();
  call.document->text = DeclarationXml();
  call.document->dom.load_buffer_inplace(call.document->text.data(), call.document->text.size(),
                                         pugi::parse_default | pugi::parse_embed_pcdata, pugi::encoding_utf8);
  return call;
}

// The roster with its declaration submitted and declared.
const State& Declared() {
  static const State state = [] {
    State s = Roster();
    Run(Submission(s.payers[0].djxh), s);
    return s;
  }();
  return state;
}

std::string Levy() { return Declared().declarations.back().value("yzpzxh", ""); }

// The deduction's body as the client sends it: the first half of the lines, under their levy.
const std::string& DeductionBody() {
  static const std::string body = [] {
    const State& s = Declared();
    const size_t half = (s.items.size() + 1) / 2;
    std::string lines;
    for (size_t n = 1; n <= half; ++n) {
      if (n > 1) lines += ',';
      lines += "{\"yzpzmxxh\":\"" + std::to_string(n) + "\",\"zsuuid\":\"" + Levy() + "-" + std::to_string(n) +
               "\",\"kkje\":\"300.00\"}";
    }
    return "{\"yblsh\":\"BENCH2\",\"zzdjxh\":\"" + s.payers[0].djxh + "\",\"sfxyh\":\"SFXY1\",\"yzpzxhGridlb\":[" +
           "{\"yzpzxh\":\"" + Levy() + "\",\"yzpzmxxhGridlb\":[" + lines + "]}]}";
  }();
  return body;
}

// The state after the deduction of the first half.
const State& Deducted() {
  static const State state = [] {
    State s = Declared();
    Run(DecodeCall(Call::Endpoint::kService, "0008", "", DeductionBody()), s);
    return s;
  }();
  return state;
}

// The state a submission is made on, as the demo runs it: the answer is worked out when asked for.
const State& QueuingRoster() {
  static const State state = [] {
    State s = Roster();
    s.queueDeclarations = true;
    return s;
  }();
  return state;
}

// Times make() (a call, as the server decodes it) and, given `on`, the call's handler run on a
// copy of it; the copy is made, and the call and the copy let go, outside the timing (the server
// lets a call go once its answer is sent).
template <class MakeCall>
void TimeCalls(benchmark::State& bench, const State* on, const MakeCall& make) {
  for (auto _ : bench) {
    bench.PauseTiming();
    std::unique_ptr<State> s = on ? std::make_unique<State>(*on) : nullptr;
    bench.ResumeTiming();
    std::optional<Call> call(make());
    if (s) benchmark::DoNotOptimize(Run(*call, *s));
    bench.PauseTiming();
    call.reset();
    s.reset();
    bench.ResumeTiming();
  }
}

void BM_Submission(benchmark::State& bench) {
  TimeCalls(bench, &QueuingRoster(), [] { return Submission(QueuingRoster().payers[0].djxh); });
}
BENCHMARK(BM_Submission)->Unit(benchmark::kMillisecond)->UseRealTime();

// The submission's document alone parsed where it stands, as the server does before the handler.
void BM_SubmissionParsed(benchmark::State& bench) {
  TimeCalls(bench, nullptr, [] { return Submission("1"); });
}
BENCHMARK(BM_SubmissionParsed)->Unit(benchmark::kMillisecond)->UseRealTime();

// A call the handler reads from its body alone (no document).
Call BodyCall(const char* code, OJson body) {
  Call call;
  call.serviceCode = code;
  call.body = std::move(body);
  return call;
}

void BM_Arrears(benchmark::State& bench) {
  State s = Declared();
  const Call call = BodyCall("0007", {{"djxh", s.payers[0].djxh}});
  for (auto _ : bench) benchmark::DoNotOptimize(Run(call, s));
}
BENCHMARK(BM_Arrears)->Unit(benchmark::kMillisecond)->UseRealTime();

// The social-insurance payment service's arrears of the levy document ("0901"): every line again.
void BM_DocumentArrears(benchmark::State& bench) {
  State s = Declared();
  const Call call = BodyCall("0901", {{"djxh", s.payers[0].djxh}, {"yzpzxhList", {Levy()}}});
  for (auto _ : bench) benchmark::DoNotOptimize(Run(call, s));
}
BENCHMARK(BM_DocumentArrears)->Unit(benchmark::kMillisecond)->UseRealTime();

Call DeductionCall() { return DecodeCall(Call::Endpoint::kService, "0008", "", DeductionBody()); }

void BM_Deduction(benchmark::State& bench) { TimeCalls(bench, &Declared(), DeductionCall); }
BENCHMARK(BM_Deduction)->Unit(benchmark::kMillisecond)->UseRealTime();

// The deduction's body alone decoded into a call, as the server does before the handler runs.
void BM_DeductionBodyDecoded(benchmark::State& bench) { TimeCalls(bench, nullptr, DeductionCall); }
BENCHMARK(BM_DeductionBodyDecoded)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Vouchers(benchmark::State& bench) {
  TimeCalls(bench, &Deducted(), [] {
    return BodyCall("0010", {{"zzdjxh", Deducted().payers[0].djxh}, {"mxlb", {{{"yzpzxh", Levy()}}}}});
  });
}
BENCHMARK(BM_Vouchers)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace velmor::taxsim

BENCHMARK_MAIN();
