// The envelope codec on arbitrary answers: DecodeEnvelope either rejects with a problem text or
// yields an envelope that encodes and decodes back to itself; DecodeEnvelopeInPlace gives the
// same outcome, problem and values.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/net/wire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string in(reinterpret_cast<const char*>(data), size);
  velmor::wire::Envelope e, taken;
  std::string problem, takenProblem;
  const bool ok = velmor::wire::DecodeEnvelope(in, e, problem);
  if (velmor::wire::DecodeEnvelopeInPlace(std::string(in), taken, takenProblem) != ok || takenProblem != problem)
    std::abort();
  if (!ok) {
    if (problem.empty()) std::abort();
    return 0;
  }
  if (taken.status != e.status || taken.returnCode != e.returnCode || taken.returnMessage != e.returnMessage ||
      taken.responseData != e.responseData || taken.response != e.response)
    std::abort();
  velmor::wire::Envelope back;
  if (!velmor::wire::DecodeEnvelope(velmor::wire::EncodeEnvelope(e), back, problem)) std::abort();
  if (back.status != e.status || back.returnCode != e.returnCode || back.returnMessage != e.returnMessage ||
      back.responseData != e.responseData || back.response != e.response)
    std::abort();
  return 0;
}
