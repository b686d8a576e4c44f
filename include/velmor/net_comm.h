// INetCommIntf: the host's network interface, through which all traffic with the tax server
// goes (the plug-in opens no connection itself).
//
// Statuses of Execute: 2 answered (or 1, for the calls whose success status is 1): the answer is
// in the request; -1 failed: GetLastErrorText holds the reason; -2 refused by the server: the
// request's GetResponseData and GetReturnMessage hold its code and text.
//
// Operations are in slot order; texts are UTF-8. One object may be shared by threads: every
// operation is thread-safe, and GetLastErrorText reports the most recent failure of any of them
// (a service that needs its own last error takes its own object with CreateConnection). Execute,
// NextBatchResult and the asynchronous operations block; they are bounded by the host's time-outs.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/interface.h"
#include "velmor/progress_view.h"
#include "velmor/ref.h"
#include "velmor/request.h"

namespace velmor {

class INetCommIntf : public IInterface {
 public:
  VELMOR_IID("{2B7C15F4-F384-4A25-870D-A6FA1EA8A61B}")
  virtual std::string GetLastErrorText() = 0;
  // A new empty request.
  virtual Ref<IRequest> CreateRequest() = 0;
  // Sends request and waits for its answer. progress (may be null) is advanced by progressValue
  // when the answer is in; the last two arguments are reserved (pass 0).
  virtual int32_t Execute(IRequest* request, IProgressView* progress, int32_t progressValue, int32_t reserved1,
                          int32_t reserved2) = 0;
  // A separate network object (its own last error and batches) on the same server.
  virtual Ref<INetCommIntf> CreateConnection() = 0;
  // A new batch; its requests run concurrently. The handle is positive; 0 when no batch can start.
  virtual int32_t BeginBatch() = 0;
  // Queues request in the batch (it starts as soon as a worker is free). False, with the reason
  // in GetLastErrorText, for an unknown batch or a request that cannot be sent.
  virtual bool AddToBatch(int32_t batch, IRequest* request) = 0;
  // Hands back one finished request (its tag attached) and tells whether more are still to come.
  // waitMs 0 waits until one finishes; otherwise at most waitMs (false, morePending true, when
  // none finished in time). False when the batch has nothing left (or is unknown).
  virtual bool NextBatchResult(int32_t batch, Ref<IRequest>& request, int32_t waitMs, bool& morePending) = 0;
  // Ends the batch: requests not yet started are dropped, running ones are cancelled.
  virtual void EndBatch(int32_t batch) = 0;
  // Submits an asynchronous job; the body must hold its serial as "yblsh". True when accepted.
  virtual bool SubmitAsync(const std::string& serviceCode, const std::string& body) = 0;
  // Asks for the job's answer: 1 answered (response text and second text, the server's response
  // data, filled in), 0 still pending, -1 failed (GetLastErrorText holds the reason).
  virtual int32_t PollAsync(const std::string& serviceCode, const std::string& serialNo, std::string& response,
                            std::string& secondText) = 0;

 protected:
  ~INetCommIntf() = default;
};

}  // namespace velmor
