// IReturnCodeMessage: the host's return-code message component, which turns the server's result
// codes into the texts shown to the user.
//
// Answers from the host configuration; thread-safe.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class IReturnCodeMessage : public IInterface {
 public:
  VELMOR_IID("{8F2D6B14-C3A7-4E59-B0D1-7A6E9C4F2B83}")
  // The text to show for a server message with its result code: the configured text of the code
  // when the configuration maps it, otherwise message unchanged.
  virtual std::string RenderMessage(const std::string& code, const std::string& message) = 0;
  // The configured text of a return code under a service (function) code ("FDA", "0046"); empty
  // when none is configured.
  virtual std::string GetCodeMessage(const std::string& code, const std::string& functionCode) = 0;

 protected:
  ~IReturnCodeMessage() = default;
};

}  // namespace velmor
