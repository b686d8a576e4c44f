// IRequest: one exchange with the tax server, created by INetCommIntf::CreateRequest: what is
// sent (service code, serial, body) and, once sent, what came back (return code, response,
// response data, return message), plus an attached item that travels with it through a batch.
//
// The listed operations come first, in slot order; the host's additions follow. Texts are UTF-8.
// A request is used by one thread at a time: while it is queued in a batch it belongs to the
// network component, and NextBatchResult hands it back.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/interface.h"
#include "velmor/ref.h"

namespace velmor {

class IRequest : public IInterface {
 public:
  VELMOR_IID("{6E1B7C32-5A0D-4F4E-9C1B-2D8F3A7E5B10}")
  // The four-digit service code ("0053").
  virtual void SetServiceCode(const std::string& code) = 0;
  // The serial given with SetSerialNo; empty when none was given.
  virtual std::string GetSerialNo() = 0;
  virtual void SetSerialNo(const std::string& serialNo) = 0;
  // The request body (the JSON text the service built).
  virtual void SetBody(const std::string& body) = 0;
  // "SUCCESS" when the server handled the call (compare without regard to case); empty before the
  // request was sent; "ERROR" when it could not be sent or answered (see GetErrorText).
  virtual std::string GetReturnCode() = 0;
  // The answer text (a Base64 taxML document or a JSON text, as the call defines).
  virtual std::string GetResponse() = 0;
  // The server's result code of a refused request ("10042"); "null" or empty when an answer
  // carries no data.
  virtual std::string GetResponseData() = 0;
  // The server's message; for a request that could not be sent, the reason.
  virtual std::string GetReturnMessage() = 0;
  // The attached item (null when none); SetTag holds a new reference to it.
  virtual Ref<IInterface> GetTag() = 0;
  virtual void SetTag(IInterface* tag) = 0;

  // Host additions.
  virtual std::string GetServiceCode() = 0;
  virtual std::string GetBody() = 0;
  // The status of the last send (2, 1, -1, -2); 0 before the request was sent.
  virtual int32_t GetStatus() = 0;
  // The reason of a -1 status; empty otherwise.
  virtual std::string GetErrorText() = 0;

 protected:
  ~IRequest() = default;
};

}  // namespace velmor
