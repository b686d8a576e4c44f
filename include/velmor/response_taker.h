// IResponseTaker: an answered request's response moved out to the caller instead of copied.
// IRequest::GetResponse returns the text by value while the request keeps its own, so a large
// answer (the arrears of 100,000 persons: tens of MB) is held twice and copied into new pages. A
// host that has it answers it from its IRequest through QueryInterface; a caller that finds none
// calls GetResponse (TakeResponse below does either), so the published request interface keeps
// its slots.
//
// Ownership: obtained from an IRequest by QueryInterface; it is the same request object.
// Thread-safety: that of its request (one thread at a time). Never throws.
#pragma once

#include <string>

#include "velmor/interface.h"
#include "velmor/ref.h"
#include "velmor/request.h"

namespace velmor {

class IResponseTaker : public IInterface {
 public:
  VELMOR_IID("{B6F5DA1C-BE00-4415-8CAA-E33A164C7B81}")
  // 0: the text GetResponse would answer, moved out; afterwards GetResponse answers empty text
  // until the request is answered again. The other parts of the answer stay.
  virtual std::string TakeResponse() = 0;

 protected:
  ~IResponseTaker() = default;
};

// The response of an answered request, moved out of it where it answers IResponseTaker (its
// GetResponse then answers empty text), copied otherwise.
inline std::string TakeResponse(IRequest& request) {
  Ref<IResponseTaker> taker = Query<IResponseTaker>(&request);
  return taker ? taker->TakeResponse() : request.GetResponse();
}

}  // namespace velmor
