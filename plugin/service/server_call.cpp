#include "service/server_call.h"

#include <optional>
#include <thread>

#include "codec/taxml_exchange.h"
#include "framework/host_access.h"
#include "codec/taxml_response.h"
#include "framework/boundary.h"
#include "framework/progress.h"
#include "service/async_exchange.h"
#include "service/async_jobs.h"
#include "codec/json_parse.h"

namespace velmor::service {

namespace {

constexpr int32_t kPollWaitMs = 100;

// The call of a row: parameters as keys, or as the document.
taxml::Call MakeCall(const OpRow& row, const OpCall& call, const taxml::RequestDocument* doc) {
  taxml::Call c;
  c.serviceCode = row.code;
  c.djxh = false;
  c.progress = call.progress;
  c.progressValue = 50;
  if (!call.yblsh.empty()) {
    c.serial = taxml::Call::Serial::kGiven;
    c.yblsh = call.yblsh;
  }
  if (!call.serial) c.serial = taxml::Call::Serial::kNone;
  if (doc) {
    c.document = doc;
  } else {
    // A "djxh" among the parameters marks where the payer's key goes (its value is always the
    // call's payer); without one it comes last.
    for (auto it = call.params.begin(); it != call.params.end(); ++it) {
      if (it.key() == "djxh") c.keys["djxh"] = call.djxh;
      else if (it.key() != "yblsh") c.keys[it.key()] = it.value();
    }
  }
  c.keys["djxh"] = call.djxh;
  return c;
}

// The row's document built from the parameters, when the row names a type and the caller
// brought none.
std::optional<taxml::RequestDocument> RowDocument(const OpRow& row, const OpCall& call) {
  std::optional<taxml::RequestDocument> doc;
  if (!call.document && *row.requestType) {
    doc.emplace(row.requestType);
    AddJson(*doc, call.params);
  }
  return doc;
}

}  // namespace

Json ParseParams(std::string_view text) {
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return Json::object();
  Json params = ParseOutsideJson<Json>(text, false);
  if (!params.is_object()) throw OpRefusal("参数不是JSON对象。");
  return params;
}

namespace {

taxml::Reply SendRow(const OpRow& row, const OpCall& call) {
  std::optional<taxml::RequestDocument> doc = RowDocument(row, call);
  taxml::Reply reply = taxml::Send(MakeCall(row, call, call.document ? call.document : doc ? &*doc : nullptr));
  StepProgress(call.progress, 0);
  return reply;
}

Json ReadAnswer(const OpRow& row, const OpCall& call, const taxml::Reply& reply) {
  reply.RequireSuccess();
  Json out;
  if (row.answer == AnswerKind::kJson) {
    out = JsonAnswer(reply.request->GetResponse(), row.list);
  } else {
    taxml::Response answer = taxml::Response::Read(reply);
    answer.RequireSuccess();
    if (*row.list) answer.RequireList(row.list);
    out = AnswerJson(answer.Root());
  }
  out["yblsh"] = reply.yblsh;
  StepProgress(call.progress, 50);
  return out;
}

}  // namespace

Json Exchange(const OpRow& row, const OpCall& call) { return ReadAnswer(row, call, SendRow(row, call)); }

Json ExchangeAwaiting(const OpRow& row, const OpCall& call, PendingBound bound) {
  for (int32_t attempt = 1;; ++attempt) {
    taxml::Reply reply = SendRow(row, call);
    if (reply.RefusalCode() != kPendingCode) return ReadAnswer(row, call, reply);
    if (attempt >= bound.attempts) throw taxml::Failure(kStillPending);
    // Short steps, so the host keeps drawing while the server prepares the answer.
    const auto until = std::chrono::steady_clock::now() + bound.wait;
    while (std::chrono::steady_clock::now() < until) {
      StepProgress(nullptr, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
}

taxml::Response ExchangeDocument(const char* code, const taxml::RequestDocument& doc, IProgressView* progress,
                                 const std::function<std::string(const std::exception&)>& unreadable) {
  taxml::Call call;
  call.serviceCode = code;
  call.document = &doc;
  call.progress = progress;
  call.progressValue = 50;
  taxml::Reply reply = taxml::Send(call);
  StepProgress(progress, 0);
  reply.RequireSuccess();
  std::optional<taxml::Response> answer;
  try {
    answer.emplace(taxml::Response::Read(reply));
  } catch (const std::exception& e) {
    throw OpRefusal(unreadable(e));
  }
  answer->RequireSuccess();
  StepProgress(progress, 50);
  return std::move(*answer);
}

Json ExchangeAnyCode(const OpRow& row, const OpCall& call) {
  std::optional<taxml::RequestDocument> doc = RowDocument(row, call);
  taxml::Reply reply = taxml::Send(MakeCall(row, call, call.document ? call.document : doc ? &*doc : nullptr));
  StepProgress(call.progress, 0);
  reply.RequireSuccess();
  Json out = Json::object();
  try {
    if (row.answer == AnswerKind::kJson) {
      const std::string text = reply.request->GetResponse();
      if (!text.empty() && text != "null") out = Json::parse(text);
      if (!out.is_object()) throw Exception("应答不是JSON对象");
      if (!out.contains("code")) out["code"] = "";
      if (!out.contains("message")) out["message"] = "";
    } else {
      taxml::Response answer = taxml::Response::Read(reply);
      out = AnswerJson(answer.Root());
      out["code"] = answer.Code();
      out["message"] = answer.Message();
    }
  } catch (const std::exception& e) {
    throw taxml::Failure(std::string("反馈报文异常：") + e.what());
  }
  out["yblsh"] = reply.yblsh;
  StepProgress(call.progress, 50);
  return out;
}

std::vector<Json> ExchangeJobs(const OpRow& row, const std::string& djxh, const std::vector<Json>& jobs,
                               IProgressView* progress, std::chrono::milliseconds deadline) {
  std::vector<Json> answers(jobs.size());
  if (jobs.empty()) return answers;
  AsyncJobSet set(row.code, GetNetComm());
  for (size_t i = 0; i < jobs.size(); ++i) {
    OpCall one{djxh, jobs[i], progress, {}, nullptr};
    const std::string serial = NewSerialNo();
    std::string error;
    if (!set.Submit(serial, taxml::BodyText(MakeCall(row, one, nullptr), serial, djxh), static_cast<int32_t>(i), error))
      throw taxml::Failure("异步请求失败！" + error);
  }
  const int32_t share = static_cast<int32_t>(100 / jobs.size());
  const auto end = AsyncJobSet::Clock::now() + deadline;
  while (set.Outstanding() > 0) {
    if (AsyncJobSet::Clock::now() > end)
      throw taxml::Failure("异步请求超时，仍有" + std::to_string(set.Outstanding()) + "个未反馈。");
    for (const AsyncJobSet::Done& d : set.Poll(kPollWaitMs)) {
      answers[static_cast<size_t>(d.tag)] = JsonAnswer(d.response, row.list);
      StepProgress(progress, share);
    }
  }
  if (!set.Lost().empty()) throw taxml::Failure(set.LostText());
  return answers;
}

std::string Submit(const OpRow& row, const OpCall& call) {
  std::optional<taxml::RequestDocument> doc = RowDocument(row, call);
  Ref<INetCommIntf> net = GetNetComm();
  return SubmitJob(*net, MakeCall(row, call, call.document ? call.document : doc ? &*doc : nullptr), call.djxh);
}

std::optional<std::string> Collect(const OpRow& row, const std::string& serial) {
  Ref<INetCommIntf> net = GetNetComm();
  return PollJob(*net, row.code, serial);
}

std::optional<Json> CollectJson(const OpRow& row, const std::string& serial) {
  std::optional<std::string> text = Collect(row, serial);
  if (!text) return std::nullopt;
  return JsonAnswer(*text, row.list);
}

bool RunOp(const OpRow& row, std::string& message, const std::function<void()>& body) {
  message.clear();
  return Attempt<OpRefusal>({row.className, row.name}, {row.prefix, true, UnknownText::kShown}, &message, body);
}

}  // namespace velmor::service
