// TFastParseJson on arbitrary text, in the chunked form: the input cut into pieces (the first
// byte chooses where) and sent as a list of Base64 gzip chunks must read exactly as the whole
// text does; and the input itself taken as a chunk list is refused or read, never worse.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "codec/fast_json.h"
#include "codec/fast_json_fuzz_check.h"
#include "velmor/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace velmor;
  if (size == 0) return 0;
  unsigned step = data[0] % 16 + 1;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  TFastParseJson whole(fuzz::kFuzzBuffer);
  bool wholeOk = true;
  try {
    whole.ParseText(text);
  } catch (const Exception&) {
    wholeOk = false;
  }
  // Pieces of growing length (step, 2*step, ...), so cuts fall everywhere.
  std::string list = "[";
  for (size_t pos = 0, len = step; pos < text.size(); pos += len, len += step) {
    if (pos) list += ", ";
    list += "\"" + fuzz::PackStored(text.substr(pos, len)) + "\"";
  }
  list += "]";
  TFastParseJson chunked(fuzz::kFuzzBuffer);
  bool chunkedOk = true;
  try {
    chunked.Parse(list, false);
  } catch (const Exception&) {
    chunkedOk = false;
  }
  if (wholeOk != chunkedOk) std::abort();
  fuzz::SameRecords(whole, chunked);
  if (chunkedOk) fuzz::UseRecords(chunked);

  TFastParseJson raw(fuzz::kFuzzBuffer);
  try {
    raw.Parse(text, false);
  } catch (const Exception&) {
  }
  return 0;
}
