#include "host/net/net_comm.h"

#include <chrono>
#include <nlohmann/json.hpp>

#include "host/cancel.h"
#include "host/log_level.h"
#include "velmor/platform.h"

namespace velmor::host::net {
namespace {

constexpr char kUserAgent[] = "velmor-host/1";

std::string TrimUrl(std::string url) {
  while (!url.empty() && url.back() == '/') url.pop_back();
  return url;
}

bool IsHttpUrl(const std::string& url) { return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0; }

}  // namespace

std::string RefusalText(const wire::Envelope& e) {
  return "服务器拒绝请求：[" + e.responseData + "]" + e.returnMessage;
}

NetComm::NetComm(NetOptions options) : options_([&] {
  options.serverUrl = TrimUrl(std::move(options.serverUrl));
  return std::move(options);
}()), owner_(std::this_thread::get_id()) {}

NetComm::~NetComm() {
  std::map<int32_t, std::shared_ptr<Batch>> open;
  {
    std::lock_guard lock(mutex_);
    open.swap(batches_);
  }
  for (auto& [handle, batch] : open) batch->Close();
}

std::string NetComm::GetLastErrorText() {
  std::lock_guard lock(mutex_);
  return lastError_;
}

void NetComm::SetLastError(const std::string& text) {
  std::lock_guard lock(mutex_);
  lastError_ = text;
}

Ref<IRequest> NetComm::CreateRequest() { return Make<Request>(); }

Ref<INetCommIntf> NetComm::CreateConnection() { return Make<NetComm>(options_); }

NetComm::Outcome NetComm::Post(const std::string& path, const std::string& body, const std::string& serial,
                               std::initializer_list<int32_t> allowed, const std::atomic<bool>* cancel,
                               IProgressView* progress) {
  Outcome o;
  if (options_.serverUrl.empty()) {
    o.error = "未配置服务器地址";
    return o;
  }
  if (!IsHttpUrl(options_.serverUrl)) {
    o.error = "服务器地址不是http或https地址：" + options_.serverUrl;
    return o;
  }
  std::vector<std::string> headers = {std::string("Content-Type: ") + wire::kJsonContentType,
                                      std::string("User-Agent: ") + kUserAgent};
  if (!serial.empty()) headers.push_back(std::string(wire::kSerialHeader) + ": " + serial);
  std::function<bool()> tick;
  // Ctrl-C (host/cancel.h) abandons the exchange even when the operation passed no view: the
  // operation then fails on its usual path and rolls back what it had begun.
  if (OnOwnerThread()) tick = [progress] {
    platform::ProcessMessages();
    return !(CancelRequested() || (progress && progress->IsCancelled()));
  };
  const auto started = std::chrono::steady_clock::now();
  HttpResult http = HttpPost(options_.serverUrl + path, body, headers, options_.transport, cancel, tick);
  if (options_.exchangeLog) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
    std::string line = "exchange " + path + (serial.empty() ? "" : " serial " + serial) + ": ";
    line += http.httpStatus ? "HTTP " + std::to_string(http.httpStatus) : std::string("no answer");
    if (!http.ok) line += " (" + http.error + ")";
    line += ", " + std::to_string(ms) + " ms, " + std::to_string(body.size()) + " bytes sent, " +
            std::to_string(http.body.size()) + " received";
    options_.exchangeLog(http.ok ? kLogInfo : kLogWarning, line);
  }
  if (!http.ok) {
    o.error = http.error;
    return o;
  }
  std::string problem;
  if (!wire::DecodeEnvelopeInPlace(std::move(http.body), o.envelope, problem)) {
    o.error = "服务器应答格式错误：" + problem;
    return o;
  }
  for (int32_t s : allowed)
    if (o.envelope.status == s) {
      o.ok = true;
      return o;
    }
  o.error = "服务器应答状态无效：" + std::to_string(o.envelope.status);
  return o;
}

int32_t NetComm::Send(Request& request, const std::atomic<bool>* cancel, IProgressView* progress) {
  std::string code = request.GetServiceCode();
  if (!wire::IsServiceCode(code)) {
    std::string text = "服务代码无效：" + code;
    request.SetFailure(text);
    SetLastError(text);
    return wire::kFailed;
  }
  Outcome o = Post(wire::ServicePath(code), request.GetBody(), request.GetSerialNo(),
                   {wire::kAnswered, wire::kAnsweredOne, wire::kRefused}, cancel, progress);
  if (!o.ok) {
    request.SetFailure(o.error);
    SetLastError(o.error);
    return wire::kFailed;
  }
  const int32_t status = o.envelope.status;
  if (status == wire::kRefused) SetLastError(RefusalText(o.envelope));
  request.SetAnswer(std::move(o.envelope));  // the answer is handed on, not copied
  return status;
}

int32_t NetComm::Execute(IRequest* request, IProgressView* progress, int32_t progressValue, int32_t, int32_t) {
  auto* r = dynamic_cast<Request*>(request);
  if (!r) {
    SetLastError(request ? "请求对象不是本网络组件创建的" : "请求对象为空");
    return wire::kFailed;
  }
  int32_t status = Send(*r, nullptr, progress);
  if (progress && progressValue != 0) progress->SetPosition(progress->GetPosition() + progressValue);
  return status;
}

std::shared_ptr<Batch> NetComm::FindBatch(int32_t handle) {
  std::lock_guard lock(mutex_);
  auto it = batches_.find(handle);
  if (it == batches_.end()) {
    lastError_ = "批次不存在：" + std::to_string(handle);
    return nullptr;
  }
  return it->second;
}

int32_t NetComm::BeginBatch() {
  auto batch = std::make_shared<Batch>(options_.batchThreads,
                                       [this](Request& r, const std::atomic<bool>& cancel) { Send(r, &cancel); });
  std::lock_guard lock(mutex_);
  if (nextBatch_ <= 0) nextBatch_ = 1;  // after wrapping round
  int32_t handle = nextBatch_++;
  batches_[handle] = std::move(batch);
  return handle;
}

bool NetComm::AddToBatch(int32_t handle, IRequest* request) {
  auto* r = dynamic_cast<Request*>(request);
  if (!r) {
    SetLastError(request ? "请求对象不是本网络组件创建的" : "请求对象为空");
    return false;
  }
  if (!wire::IsServiceCode(r->GetServiceCode())) {
    SetLastError("服务代码无效：" + r->GetServiceCode());
    return false;
  }
  std::shared_ptr<Batch> batch = FindBatch(handle);
  if (!batch) return false;
  if (!batch->Add(Ref<Request>(r))) {
    SetLastError("批次已结束：" + std::to_string(handle));
    return false;
  }
  return true;
}

bool NetComm::NextBatchResult(int32_t handle, Ref<IRequest>& request, int32_t waitMs, bool& morePending) {
  request = nullptr;
  morePending = false;
  std::shared_ptr<Batch> batch = FindBatch(handle);
  if (!batch) return false;
  std::function<void()> tick;
  if (OnOwnerThread()) tick = [] { platform::ProcessMessages(); };
  Ref<Request> done;
  if (batch->Take(waitMs < 0 ? 0 : waitMs, done, morePending, tick) != Batch::Next::kGot) return false;
  request = std::move(done);
  return true;
}

void NetComm::EndBatch(int32_t handle) {
  std::shared_ptr<Batch> batch;
  {
    std::lock_guard lock(mutex_);
    auto it = batches_.find(handle);
    if (it == batches_.end()) return;
    batch = std::move(it->second);
    batches_.erase(it);
  }
  batch->Close();
}

bool NetComm::SubmitAsync(const std::string& serviceCode, const std::string& body) {
  if (!wire::IsServiceCode(serviceCode)) {
    SetLastError("服务代码无效：" + serviceCode);
    return false;
  }
  Outcome o = Post(wire::AsyncPath(serviceCode), body, "", {wire::kAnsweredOne, wire::kRefused}, nullptr);
  if (!o.ok) {
    SetLastError(o.error);
    return false;
  }
  if (o.envelope.status == wire::kRefused) {
    SetLastError(RefusalText(o.envelope));
    return false;
  }
  return true;
}

int32_t NetComm::PollAsync(const std::string& serviceCode, const std::string& serialNo, std::string& response,
                           std::string& secondText) {
  if (!wire::IsServiceCode(serviceCode)) {
    SetLastError("服务代码无效：" + serviceCode);
    return wire::kFailed;
  }
  nlohmann::json body = {{"yblsh", serialNo}};
  Outcome o = Post(wire::PollPath(serviceCode), body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                   "", {wire::kAnsweredOne, wire::kPending, wire::kFailed}, nullptr);
  if (!o.ok) {
    SetLastError(o.error);
    return wire::kFailed;
  }
  if (o.envelope.status == wire::kFailed) {
    SetLastError("异步请求失败：" + (o.envelope.responseData.empty() || o.envelope.responseData == "null"
                                         ? std::string()
                                         : "[" + o.envelope.responseData + "]") +
                 o.envelope.returnMessage);
    return wire::kFailed;
  }
  if (o.envelope.status == wire::kAnsweredOne) {
    response = o.envelope.response;
    secondText = o.envelope.responseData;
  }
  return o.envelope.status;
}

}  // namespace velmor::host::net
