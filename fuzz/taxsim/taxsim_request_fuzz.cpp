// The simulator's decoding of a request body: any bytes either decode into a call (whose document,
// when there is one, has a known type and UTF-8 text) or are refused with one of the documented
// codes; nothing else escapes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "taxsim/call.h"
#include "taxsim/codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string in(reinterpret_cast<const char*>(data), size);
  using velmor::taxsim::Refusal;
  auto check = [](const Refusal& r) {
    std::string c = r.code();
    if (c != "10001" && c != "10002" && c != "10004") std::abort();
  };
  try {
    velmor::taxsim::Call call = velmor::taxsim::DecodeCall(velmor::taxsim::Call::Endpoint::kService, "9001", "", in);
    if (call.document && (!call.document->type || !velmor::taxsim::IsUtf8(call.document->text))) std::abort();
  } catch (const Refusal& r) {
    check(r);
  }
  // The same bytes as the "data" text itself, and Base64-wrapped so the XML checks are reached.
  for (const std::string& text : {in, velmor::taxsim::Base64Encode(in)}) {
    try {
      auto doc = velmor::taxsim::DecodeDocument(text);
      if (!doc->type || !doc->Root()) std::abort();
      (void)doc->Value("xm");
    } catch (const Refusal& r) {
      check(r);
    }
  }
  return 0;
}
