// Request: the host's IRequest, with IResponseTaker. The network component fills in the outcome
// of a send with SetAnswer or SetFailure; everything else is the interface.
//
// Not synchronised: one thread at a time (see IRequest).
#pragma once

#include <string>

#include "host/net/wire.h"
#include "velmor/object.h"
#include "velmor/request.h"
#include "velmor/response_taker.h"

namespace velmor::host::net {

class Request final : public Object<IRequest, IResponseTaker> {
 public:
  void SetServiceCode(const std::string& code) override { serviceCode_ = code; }
  std::string GetSerialNo() override { return serialNo_; }
  void SetSerialNo(const std::string& serialNo) override { serialNo_ = serialNo; }
  void SetBody(const std::string& body) override { body_ = body; }
  std::string GetReturnCode() override { return answer_.returnCode; }
  std::string GetResponse() override { return answer_.response; }
  std::string GetResponseData() override { return answer_.responseData; }
  std::string GetReturnMessage() override { return answer_.returnMessage; }
  Ref<IInterface> GetTag() override { return tag_; }
  void SetTag(IInterface* tag) override { tag_ = Ref<IInterface>(tag); }
  std::string GetServiceCode() override { return serviceCode_; }
  std::string GetBody() override { return body_; }
  int32_t GetStatus() override { return status_; }
  std::string GetErrorText() override { return error_; }
  std::string TakeResponse() override {
    std::string taken = std::move(answer_.response);
    answer_.response.clear();  // a moved-from string is only valid, not necessarily empty
    return taken;
  }

  // The answer of a send (status 2, 1 or -2 as the envelope says).
  void SetAnswer(wire::Envelope answer);
  // A send that failed (status -1): return code "ERROR", the reason as return message.
  void SetFailure(const std::string& reason);

 private:
  std::string serviceCode_, serialNo_, body_;
  wire::Envelope answer_{0, "", "", "", ""};
  int32_t status_ = 0;
  std::string error_;
  Ref<IInterface> tag_;
};

}  // namespace velmor::host::net
