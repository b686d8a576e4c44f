// NetComm: the host's INetCommIntf over HTTP (libcurl) to the configured server, speaking
// docs/wire.md. Synchronous calls run on the caller's thread; batches run on worker threads of
// their own (Batch); asynchronous jobs are submitted and polled over the wire.
//
// Thread-safe (see INetCommIntf). On the thread that created it (the host's main thread) long
// waits let the application process its pending messages.
#pragma once

#include <atomic>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <functional>
#include <string>
#include <thread>

#include "host/net/batch.h"
#include "host/net/http_transport.h"
#include "host/net/wire.h"
#include "velmor/net_comm.h"
#include "velmor/object.h"

namespace velmor::host::net {

struct NetOptions {
  std::string serverUrl;  // "http://127.0.0.1:8088"; a path is kept as a prefix
  TransportOptions transport;
  int batchThreads = 4;
  // Receives one line per exchange (path, serial, HTTP status or failure, milliseconds, bytes) at
  // the log level it names; empty: not recorded. Called on the exchanging thread.
  std::function<void(int32_t level, const std::string& line)> exchangeLog;
};

class NetComm final : public Object<INetCommIntf> {
 public:
  explicit NetComm(NetOptions options);
  ~NetComm() override;

  std::string GetLastErrorText() override;
  Ref<IRequest> CreateRequest() override;
  int32_t Execute(IRequest* request, IProgressView* progress, int32_t progressValue, int32_t reserved1,
                  int32_t reserved2) override;
  Ref<INetCommIntf> CreateConnection() override;
  int32_t BeginBatch() override;
  bool AddToBatch(int32_t batch, IRequest* request) override;
  bool NextBatchResult(int32_t batch, Ref<IRequest>& request, int32_t waitMs, bool& morePending) override;
  void EndBatch(int32_t batch) override;
  bool SubmitAsync(const std::string& serviceCode, const std::string& body) override;
  int32_t PollAsync(const std::string& serviceCode, const std::string& serialNo, std::string& response,
                    std::string& secondText) override;

  const NetOptions& Options() const { return options_; }

 private:
  struct Outcome {
    bool ok = false;
    std::string error;
    wire::Envelope envelope;
  };
  // Posts to the server and reads the envelope; ok only for a status in `allowed`.
  // On the owner thread the wait processes the application's messages and stops when `progress`
  // (may be null) reports a cancel request.
  Outcome Post(const std::string& path, const std::string& body, const std::string& serial,
               std::initializer_list<int32_t> allowed, const std::atomic<bool>* cancel,
               IProgressView* progress = nullptr);
  // Sends one request and records the outcome in it; returns the status.
  int32_t Send(Request& request, const std::atomic<bool>* cancel, IProgressView* progress = nullptr);
  void SetLastError(const std::string& text);
  std::shared_ptr<Batch> FindBatch(int32_t handle);
  bool OnOwnerThread() const { return std::this_thread::get_id() == owner_; }

  const NetOptions options_;
  const std::thread::id owner_;
  std::mutex mutex_;
  std::string lastError_;
  std::map<int32_t, std::shared_ptr<Batch>> batches_;
  int32_t nextBatch_ = 1;
};

// The failure text of a refusal: "服务器拒绝请求：[code]message".
std::string RefusalText(const wire::Envelope& envelope);

}  // namespace velmor::host::net
