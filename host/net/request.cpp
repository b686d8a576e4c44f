#include "host/net/request.h"

namespace velmor::host::net {

void Request::SetAnswer(wire::Envelope answer) {
  status_ = answer.status;
  answer_ = std::move(answer);
  error_.clear();
}

void Request::SetFailure(const std::string& reason) {
  answer_ = wire::Envelope{wire::kFailed, "ERROR", reason, "", ""};
  status_ = wire::kFailed;
  error_ = reason;
}

}  // namespace velmor::host::net
