#include "service/async_jobs.h"

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>

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

// The set's thread of submissions: the jobs handed over, submitted one after another on a network
// object of its own (so that its last error is its own), and what came of each, for the set to
// take back on its thread.
class AsyncJobSet::Submitter {
 public:
  struct Item {
    std::string serial, body, refusedText;
    int32_t tag = 0;
  };
  struct Outcome {
    std::string serial, refusedText, error;
    int32_t tag = 0;
    bool accepted = false;
  };

  Submitter(std::string code, Ref<INetCommIntf> net)
      : code_(std::move(code)), net_(std::move(net)), thread_([this] { Main(); }) {}
  ~Submitter() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
      queue_.clear();
    }
    wake_.notify_all();
    thread_.join();
  }
  Submitter(const Submitter&) = delete;
  Submitter& operator=(const Submitter&) = delete;

  void Add(Item item) {
    {
      std::lock_guard lock(mutex_);
      if (refused_) return;  // the set raises for the refusal; nothing after it is submitted
      queue_.push_back(std::move(item));
    }
    wake_.notify_one();
  }
  std::vector<Outcome> Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(done_, {});
  }

 private:
  void Main() {
    for (;;) {
      Item item;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        item = std::move(queue_.front());
        queue_.pop_front();
      }
      Outcome o{std::move(item.serial), std::move(item.refusedText), {}, item.tag, net_->SubmitAsync(code_, item.body)};
      if (!o.accepted) o.error = net_->GetLastErrorText();
      std::lock_guard lock(mutex_);
      if (!o.accepted) {
        refused_ = true;
        queue_.clear();
      }
      done_.push_back(std::move(o));
    }
  }

  const std::string code_;
  const Ref<INetCommIntf> net_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Item> queue_;
  std::vector<Outcome> done_;
  bool stopping_ = false, refused_ = false;
  std::thread thread_;  // last: it starts once the members above are made
};

AsyncJobSet::AsyncJobSet(std::string serviceCode, Ref<INetCommIntf> net) : code_(std::move(serviceCode)) {
  if (!net) throw Exception("创建平台组件接口失败！");
  net_ = net->CreateConnection();
  if (!net_) net_ = net;
}

AsyncJobSet::~AsyncJobSet() = default;

void AsyncJobSet::SubmitInBackground(std::string serial, std::string body, int32_t tag, std::string refusedText) {
  if (!submitter_) {
    Ref<INetCommIntf> own = net_->CreateConnection();
    submitter_ = std::make_unique<Submitter>(code_, own ? own : net_);
  }
  if (submitted_++ == 0) first_ = Clock::now();
  lastProgress_ = Clock::now();
  ++inBackground_;
  submitter_->Add({std::move(serial), std::move(body), std::move(refusedText), tag});
}

void AsyncJobSet::TakeSubmitted() {
  if (inBackground_ == 0) return;
  for (Submitter::Outcome& o : submitter_->Take()) {
    --inBackground_;
    if (!o.accepted) {
      inBackground_ = 0;  // the jobs after it are dropped unsubmitted
      throw SubmitRefused(o.refusedText + o.error);
    }
    jobs_.push_back({std::move(o.serial), o.tag});
    lastProgress_ = Clock::now();
  }
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
  Poll(waitMs, [&](Done& d) { done.push_back(std::move(d)); });
  return done;
}

size_t AsyncJobSet::Poll(int32_t waitMs, const std::function<void(Done&)>& each) {
  size_t done = 0;
  const Clock::time_point until = Clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    TakeSubmitted();
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
      d.serial = std::move(jobs_[i].serial);
      d.tag = jobs_[i].tag;
      jobs_.erase(jobs_.begin() + static_cast<std::ptrdiff_t>(i));
      lastProgress_ = Clock::now();
      ++done;
      each(d);
    }
    const Clock::time_point now = Clock::now();
    if (done > 0 || (jobs_.empty() && inBackground_ == 0)) return done;
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
