#include "roster/server_op.h"

#include <cctype>
#include <chrono>
#include <optional>

#include "codec/taxml_exchange.h"
#include "framework/host_access.h"
#include "codec/taxml_response.h"
#include "framework/log.h"
#include "framework/progress.h"
#include "roster/async_jobs.h"

namespace velmor::roster {

namespace {

// Polling is bounded: at most 150 passes of 2000 ms.
constexpr auto kJobsDeadline = std::chrono::milliseconds(150 * 2000);
constexpr int32_t kPollWaitMs = 100;

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

std::string RowName(std::string_view list) {
  if (EndsWith(list, "List")) return std::string(list.substr(0, list.size() - 4)) + "DTO";
  return std::string(list) + "DTO";
}

std::string ScalarText(const Json& v) {
  if (v.is_string()) return v.get<std::string>();
  if (v.is_null()) return {};
  if (v.is_boolean()) return v.get<bool>() ? "Y" : "N";
  return v.dump();
}

// Parameter names become element names: only plain names, so no parameter can inject markup.
void RequireElementName(const std::string& name) {
  bool ok = !name.empty() && (std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_');
  for (char c : name) ok = ok && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
  if (!ok) throw OpRefusal("参数名无效：" + name);
}

void AddValue(taxml::RequestDocument& doc, const std::string& name, const Json& v) {
  RequireElementName(name);
  if (v.is_array()) {
    doc.Open(name);
    const std::string row = RowName(name);
    for (const Json& entry : v) {
      if (entry.is_object()) {
        doc.Open(row);
        AddJson(doc, entry);
        doc.Close();
      } else {
        doc.Add(row, ScalarText(entry));
      }
    }
    doc.Close();
  } else if (v.is_object()) {
    doc.Open(name);
    AddJson(doc, v);
    doc.Close();
  } else {
    doc.Add(name, ScalarText(v));
  }
}

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
  if (doc) {
    c.document = doc;
  } else {
    for (auto it = call.params.begin(); it != call.params.end(); ++it)
      if (it.key() != "djxh" && it.key() != "yblsh") c.keys[it.key()] = it.value();
  }
  c.keys["djxh"] = call.djxh;
  return c;
}

Json JobAnswer(const OpRow& row, const std::string& text) {
  if (text.empty() || text == "null") return Json::object();
  Json answer = Json::parse(text, nullptr, false);
  if (!answer.is_object()) throw taxml::Failure("反馈数据不是JSON对象。");
  const std::string code = Text(answer, "code");
  if (!code.empty() && code != taxml::kSuccessCode)
    throw taxml::Failure("【" + code + "】" + RenderMessage(code, Text(answer, "message")));
  if (*row.list && !answer.contains(row.list))
    throw taxml::Failure(std::string("反馈报文缺少<") + row.list + ">节点。");
  answer.erase("code");
  answer.erase("message");
  return answer;
}

}  // namespace

Json ParseParams(std::string_view text) {
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return Json::object();
  Json params = Json::parse(text, nullptr, false);
  if (!params.is_object()) throw OpRefusal("参数不是JSON对象。");
  return params;
}

std::string Text(const Json& object, const char* key) {
  if (!object.is_object()) return {};
  auto it = object.find(key);
  return it == object.end() ? std::string() : ScalarText(*it);
}

void AddJson(taxml::RequestDocument& doc, const Json& object) {
  if (!object.is_object()) return;
  for (auto it = object.begin(); it != object.end(); ++it) AddValue(doc, it.key(), it.value());
}

Json NodeJson(pugi::xml_node node) {
  if (EndsWith(node.name(), "List")) {
    Json rows = Json::array();
    for (pugi::xml_node r = node.first_child(); r; r = r.next_sibling())
      if (r.type() == pugi::node_element) rows.push_back(NodeJson(r));
    return rows;
  }
  bool hasElements = false;
  for (pugi::xml_node c = node.first_child(); c && !hasElements; c = c.next_sibling())
    hasElements = c.type() == pugi::node_element;
  if (!hasElements) return node.child_value();
  Json out = Json::object();
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element) out[c.name()] = NodeJson(c);
  return out;
}

Json AnswerJson(pugi::xml_node root) {
  Json out = Json::object();
  for (pugi::xml_node c = root.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    const std::string_view name = c.name();
    if (name == "code" || name == "message") continue;
    out[c.name()] = NodeJson(c);
  }
  return out;
}

Json Exchange(const OpRow& row, const OpCall& call) {
  std::optional<taxml::RequestDocument> doc;
  if (!call.document && *row.requestType) {
    doc.emplace(row.requestType);
    AddJson(*doc, call.params);
  }
  taxml::Reply reply = taxml::Send(MakeCall(row, call, call.document ? call.document : doc ? &*doc : nullptr));
  StepProgress(call.progress, 0);
  reply.RequireSuccess();
  taxml::Response answer = taxml::Response::Read(reply);
  answer.RequireSuccess();
  if (*row.list) answer.RequireList(row.list);
  Json out = AnswerJson(answer.Root());
  out["yblsh"] = reply.yblsh;
  StepProgress(call.progress, 50);
  return out;
}

std::vector<Json> ExchangeJobs(const OpRow& row, const std::string& djxh, const std::vector<Json>& jobs,
                               IProgressView* progress) {
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
  const auto deadline = AsyncJobSet::Clock::now() + kJobsDeadline;
  while (set.Outstanding() > 0) {
    if (AsyncJobSet::Clock::now() > deadline)
      throw taxml::Failure("异步请求超时，仍有" + std::to_string(set.Outstanding()) + "个未反馈。");
    for (const AsyncJobSet::Done& d : set.Poll(kPollWaitMs)) {
      answers[static_cast<size_t>(d.tag)] = JobAnswer(row, d.response);
      StepProgress(progress, share);
    }
  }
  return answers;
}

bool RunOp(const OpRow& row, std::string& message, const std::function<void()>& body) {
  message.clear();
  std::string text;
  bool asItStands = false;
  try {
    body();
    return true;
  } catch (const OpRefusal& e) {
    text = e.what();
    asItStands = true;
  } catch (const std::exception& e) {
    text = e.what();
  } catch (...) {
    text = "未知异常";
  }
  try {
    LogException(std::string("TEmployeeServiceImpl.") + row.name, text);
  } catch (...) {
    // A failing debugger must not hide the failure being reported.
  }
  message = asItStands ? text : row.prefix + text;
  return false;
}

}  // namespace velmor::roster
