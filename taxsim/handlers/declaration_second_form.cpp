// The second form of submission on the simulated server: "0083" takes the declaration (UTF-8
// document SbfCxjmxnhRcSbYzxxBcSnRequest) and accepts it without a result, "0084" gives the
// result right after, "0085" fetches it later. All three answer with status 1; the entries are
// those of declaration.cpp, so lists, voids and payment states see them too.
//
// The first person's `jhsx` steers it: "QUEUE" (or State::queueDeclarations) refuses the
// submission with "10042"; "ASYNC" makes "0084" answer "60001" (accepted, no final result yet)
// and "0085" complete it; "REJECT" makes both answer "60002" (refused). Persons whose `cxjmsbbm`
// starts with "ERR" fail the declaration in `cwmxList`; otherwise it is declared.
#include "taxsim/handlers.h"
#include "taxsim/handlers/declaration_book.h"

namespace velmor::taxsim {
namespace {

using Json = nlohmann::json;

constexpr const char* kAcceptedPending = "60001";
constexpr const char* kRefused = "60002";

Answer WithStatusOne(Answer a) {
  a.envelope.status = wire::kAnsweredOne;
  return a;
}

// The entry of a result call: its serial, and the business id when the call names one.
Json* Entry(const Call& call, State& state) {
  Json* d = FindDeclaration(state, "yblsh", call.Yblsh());
  if (!d || d->value("form", "") != "second" || d->value("djxh", "") != call.Djxh()) return nullptr;
  const std::string jywyid = call.Key("jywyid");
  if (!jywyid.empty() && d->value("tranSeq", "") != jywyid) return nullptr;
  return d;
}

Answer Submit(const Call& call, State& state) {
  if (!call.document) return Answer::Refuse("10003", "缺少申报报文");
  Json& d = AddDeclaration(call, state);
  d["form"] = "second";
  if (DeclarationMode(state, d) == "QUEUE" || state.queueDeclarations) {
    return Answer::Refuse("10042", "申报已受理，请稍后获取反馈");
  }
  return WithStatusOne(Answer::Taxml(TaxmlAnswer(kOkCode, "申报已受理")));
}

Answer Result(const Call& call, State& state, bool later) {
  Json* d = Entry(call, state);
  if (!d) return WithStatusOne(Answer::Error("30001", "未找到该流水号的申报"));
  const std::string mode = DeclarationMode(state, *d);
  if (mode == "REJECT") {
    (*d)["state"] = "failed";
    return WithStatusOne(Answer::Error(kRefused, "申报数据不符合要求，不予受理"));
  }
  if (mode == "ASYNC" && !later) return WithStatusOne(Answer::Error(kAcceptedPending, "申报已受理，正在处理"));
  return WithStatusOne(FinalAnswer(state, *d));
}

}  // namespace

void RegisterDeclarationSecondForm(HandlerRegistry& registry) {
  registry.Add("0083", Submit);
  registry.Add("0084", [](const Call& call, State& state) { return Result(call, state, false); });
  registry.Add("0085", [](const Call& call, State& state) { return Result(call, state, true); });
}

}  // namespace velmor::taxsim
