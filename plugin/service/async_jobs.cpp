#include "service/async_jobs.h"

#include <cstdlib>
#include <string_view>
#include <thread>

#include "codec/base64.h"
#include "codec/taxml_exchange.h"
#include "codec/taxml_response.h"
#include "framework/progress.h"
#include "velmor/exceptions.h"

namespace velmor {

namespace {
constexpr int32_t kPollStepMs = 15;

// "<passes>,<wait ms>", both positive; anything else is ignored (the default stands).
bool ParseBound(std::string_view text, JobPollBound& out) {
  const size_t comma = text.find(',');
  if (comma == std::string_view::npos) return false;
  auto number = [](std::string_view t, long& v) {
    if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string_view::npos) return false;
    v = std::strtol(std::string(t).c_str(), nullptr, 10);
    return v > 0;
  };
  long passes = 0, wait = 0;
  if (!number(text.substr(0, comma), passes) || !number(text.substr(comma + 1), wait)) return false;
  out.passes = static_cast<int32_t>(passes);
  out.wait = std::chrono::milliseconds(wait);
  return true;
}
}  // namespace

JobPollBound CurrentJobPollBound() {
  JobPollBound bound;
  if (const char* env = std::getenv("VELMOR_JOB_POLL")) {
    JobPollBound parsed;
    if (ParseBound(env, parsed)) bound = parsed;
  }
  return bound;
}

std::string AsyncJobSet::LostText() const {
  if (lost_.empty()) return {};
  // The host's text of the first failure leads, as before jobs were dropped; the lost jobs follow.
  std::string text = lost_.front().error.empty() ? std::string("服务器处理失败") : lost_.front().error;
  text += "（丢失" + std::to_string(lost_.size()) + "个任务：";
  for (size_t i = 0; i < lost_.size(); ++i) text += (i ? "、" : "") + code_ + " 任务 " + lost_[i].serial;
  return text + "）";
}

AsyncJobSet::AsyncJobSet(std::string serviceCode, Ref<INetCommIntf> net) : code_(std::move(serviceCode)) {
  if (!net) throw Exception("创建平台组件接口失败！");
  net_ = net->CreateConnection();
  if (!net_) net_ = net;
}

bool AsyncJobSet::Submit(const std::string& serial, const std::string& body, int32_t tag, std::string& error) {
  if (!net_->SubmitAsync(code_, body)) {
    error = net_->GetLastErrorText();
    return false;
  }
  if (submitted_++ == 0) first_ = Clock::now();
  lastProgress_ = Clock::now();
  jobs_.push_back({serial, tag});
  return true;
}

std::vector<AsyncJobSet::Done> AsyncJobSet::Poll(int32_t waitMs) {
  std::vector<Done> done;
  const Clock::time_point until = Clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    const Clock::time_point passStarted = Clock::now();
    for (size_t i = jobs_.size(); i-- > 0;) {
      Done d;
      int32_t status = net_->PollAsync(code_, jobs_[i].serial, d.response, d.secondText);
      if (status == 0) continue;
      if (status != 1) {
        // The server will never answer this serial: drop it and let the caller name it.
        lost_.push_back({jobs_[i].serial, net_->GetLastErrorText(), jobs_[i].tag});
        jobs_.erase(jobs_.begin() + static_cast<std::ptrdiff_t>(i));
        continue;
      }
      d.serial = jobs_[i].serial;
      d.tag = jobs_[i].tag;
      done.push_back(std::move(d));
      jobs_.erase(jobs_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    const Clock::time_point now = Clock::now();
    if (!done.empty()) lastProgress_ = now;
    if (!done.empty() || jobs_.empty()) return done;
    if (now - lastProgress_ >= bound_.Total()) {
      std::string serials;
      for (const Job& j : jobs_) serials += (serials.empty() ? "" : "、") + j.serial;
      throw taxml::Failure("等待服务器处理超时：" + code_ + " 任务 " + serials + "，已等待" +
                           std::to_string(bound_.passes) + "次×" + std::to_string(bound_.wait.count()) + "毫秒。");
    }
    if (now >= until) return done;
    StepProgress(nullptr, 0);
    // Passes start a step apart: a pass over a hundred jobs (a page or a person batch each) takes
    // longer than the step by itself, and sleeping after it only kept both processes idle.
    const Clock::time_point nextPass = passStarted + std::chrono::milliseconds(kPollStepMs);
    if (nextPass > Clock::now()) std::this_thread::sleep_until(nextPass);
  }
}

void RequireJobData(const std::string& response) {
  std::string failure;
  // A gzip member (the data) shows in its first two bytes: the first four characters of Base64
  // are enough, rather than decoding an answer of megabytes to look at them.
  try {
    const std::string bytes = Base64Decode(std::string_view(response).substr(0, 4));
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f && static_cast<unsigned char>(bytes[1]) == 0x8b)
      return;
  } catch (const std::exception&) {
    // Not even four characters of Base64: the whole text decides below.
  }
  try {
    taxml::Response answer = taxml::Response::Decode(response);
    if (answer.Root().child("code").empty() || answer.Succeeded()) return;
    failure = answer.FailureText();
  } catch (const std::exception&) {
    return;  // neither: the unpacking names what is wrong with it
  }
  throw taxml::Failure(failure);
}

}  // namespace velmor
