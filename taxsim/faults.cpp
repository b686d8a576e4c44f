#include "taxsim/faults.h"

#include <charconv>

namespace velmor::taxsim {
namespace {

FaultKind KindOf(std::string_view name) {
  if (name == "refuse") return FaultKind::kRefuse;
  if (name == "code") return FaultKind::kCode;
  if (name == "drop-list") return FaultKind::kDropList;
  if (name == "bad-base64") return FaultKind::kBadBase64;
  if (name == "delay") return FaultKind::kDelay;
  if (name == "drop") return FaultKind::kDrop;
  if (name == "drop-answer") return FaultKind::kDropAnswer;
  if (name == "http-error") return FaultKind::kHttpError;
  if (name == "not-json") return FaultKind::kNotJson;
  if (name == "empty-answer") return FaultKind::kEmptyAnswer;
  if (name == "pending") return FaultKind::kPending;
  if (name == "omit-rows") return FaultKind::kOmitRows;
  if (name == "instruction") return FaultKind::kInstruction;
  throw FaultError("未知的故障类型：" + std::string(name));
}

Endpoint EndpointOf(std::string_view name) {
  if (name == "service") return Endpoint::kService;
  if (name == "submit") return Endpoint::kSubmit;
  if (name == "poll") return Endpoint::kPoll;
  if (name == "any") return Endpoint::kAny;
  throw FaultError("未知的故障端点：" + std::string(name));
}

int ToInt(std::string_view text, const char* member) {
  int v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) throw FaultError(std::string(member) + "不是整数");
  return v;
}

// Applies defaults and checks ranges once all members are read.
Fault Finish(Fault f, bool hasCode) {
  if (f.kind == FaultKind::kRefuse && !hasCode) f.code = "10042";
  if (f.kind == FaultKind::kRefuse && f.message.empty()) f.message = "服务端拒绝请求";
  if (f.kind == FaultKind::kCode) {
    if (f.code.empty()) throw FaultError("code故障缺少code");
    if (f.message.empty()) f.message = "模拟的业务错误";
  }
  if (f.kind == FaultKind::kDropList && f.list.empty()) throw FaultError("drop-list故障缺少list");
  if (f.kind == FaultKind::kOmitRows && f.list.empty()) throw FaultError("omit-rows故障缺少list");
  if (f.every < 1) throw FaultError("every必须为正数");
  if (f.skip < 0) throw FaultError("skip必须为非负数");
  if (f.polls < -1) throw FaultError("polls必须为非负数或-1");
  if (f.kind == FaultKind::kEmptyAnswer && !f.text.empty() && f.text != "null")
    throw FaultError("empty-answer故障的text只能为空或null");
  if (f.delayMs < 0 || f.delayMs > kMaxDelayMs) throw FaultError("delayMs超出范围0-60000");
  if (f.httpStatus < 400 || f.httpStatus > 599) throw FaultError("httpStatus超出范围400-599");
  if (f.count == 0 || f.count < -1) throw FaultError("count必须为正数或-1");
  return f;
}

}  // namespace

bool Fault::Matches(Endpoint at, std::string_view code, std::string_view s) const {
  if (endpoint != Endpoint::kAny && endpoint != at) return false;
  if (!serviceCode.empty() && serviceCode != code) return false;
  if (!serial.empty() && serial != s) return false;
  return true;
}

Fault ParseFault(const nlohmann::json& j) {
  if (!j.is_object()) throw FaultError("故障不是JSON对象");
  Fault f;
  bool hasKind = false, hasCode = false;
  for (auto it = j.begin(); it != j.end(); ++it) {
    const std::string& k = it.key();
    auto str = [&]() {
      if (!it->is_string()) throw FaultError(k + "不是字符串");
      return it->get<std::string>();
    };
    auto num = [&]() {
      if (!it->is_number_integer()) throw FaultError(k + "不是整数");
      return it->get<int>();
    };
    if (k == "kind") {
      f.kind = KindOf(str());
      hasKind = true;
    } else if (k == "serviceCode") {
      f.serviceCode = str();
    } else if (k == "serial") {
      f.serial = str();
    } else if (k == "endpoint") {
      f.endpoint = EndpointOf(str());
    } else if (k == "count") {
      f.count = num();
    } else if (k == "code") {
      f.code = str();
      hasCode = true;
    } else if (k == "message") {
      f.message = str();
    } else if (k == "list") {
      f.list = str();
    } else if (k == "delayMs") {
      f.delayMs = num();
    } else if (k == "httpStatus") {
      f.httpStatus = num();
    } else if (k == "text") {
      f.text = str();
    } else if (k == "polls") {
      f.polls = num();
    } else if (k == "every") {
      f.every = num();
    } else if (k == "skip") {
      f.skip = num();
    } else {
      throw FaultError("未知的故障成员：" + k);
    }
  }
  if (!hasKind) throw FaultError("故障缺少kind");
  return Finish(std::move(f), hasCode);
}

std::vector<Fault> ParseFaultHeader(std::string_view header) {
  std::vector<Fault> out;
  while (!header.empty()) {
    size_t comma = header.find(',');
    std::string_view one = header.substr(0, comma);
    header = comma == std::string_view::npos ? std::string_view{} : header.substr(comma + 1);
    Fault f;
    bool hasKind = false, hasCode = false;
    while (!one.empty()) {
      size_t semi = one.find(';');
      std::string_view pair = one.substr(0, semi);
      one = semi == std::string_view::npos ? std::string_view{} : one.substr(semi + 1);
      while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
      while (!pair.empty() && pair.back() == ' ') pair.remove_suffix(1);
      if (pair.empty()) continue;
      size_t eq = pair.find('=');
      if (eq == std::string_view::npos) throw FaultError("故障头格式错误：" + std::string(pair));
      std::string_view key = pair.substr(0, eq), value = pair.substr(eq + 1);
      if (key == "kind") {
        f.kind = KindOf(value);
        hasKind = true;
      } else if (key == "code") {
        f.code = value;
        hasCode = true;
      } else if (key == "message") {
        f.message = value;
      } else if (key == "list") {
        f.list = value;
      } else if (key == "delayMs") {
        f.delayMs = ToInt(value, "delayMs");
      } else if (key == "httpStatus") {
        f.httpStatus = ToInt(value, "httpStatus");
      } else if (key == "text") {
        f.text = value;
      } else if (key == "polls") {
        f.polls = ToInt(value, "polls");
      } else if (key == "every") {
        f.every = ToInt(value, "every");
      } else if (key == "skip") {
        f.skip = ToInt(value, "skip");
      } else {
        throw FaultError("未知的故障成员：" + std::string(key));
      }
    }
    if (!hasKind) throw FaultError("故障缺少kind");
    out.push_back(Finish(std::move(f), hasCode));
  }
  return out;
}

void FaultBook::Add(Fault fault) {
  std::lock_guard lock(mutex_);
  faults_.push_back(std::move(fault));
}

void FaultBook::Clear() {
  std::lock_guard lock(mutex_);
  faults_.clear();
}

size_t FaultBook::Size() {
  std::lock_guard lock(mutex_);
  return faults_.size();
}

std::vector<Fault> FaultBook::Take(Endpoint at, std::string_view serviceCode, std::string_view serial) {
  std::lock_guard lock(mutex_);
  std::vector<Fault> taken;
  for (auto it = faults_.begin(); it != faults_.end();) {
    if (!it->Matches(at, serviceCode, serial)) {
      ++it;
      continue;
    }
    if (it->skip > 0) {  // this request passes; a later one gets the fault
      --it->skip;
      ++it;
      continue;
    }
    taken.push_back(*it);
    if (it->count > 0 && --it->count == 0)
      it = faults_.erase(it);
    else
      ++it;
  }
  return taken;
}

}  // namespace velmor::taxsim
