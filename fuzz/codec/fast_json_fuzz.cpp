// TFastParseJson on arbitrary text, in the whole form: the input read as JSON text, packed as
// one Base64 gzip member (which must give the same records), and taken as the Base64 text
// itself (which is mostly refused); a cleared reader reads it again alike. Only
// velmor::Exception may come out.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "codec/fast_json.h"
#include "codec/fast_json_fuzz_check.h"
#include "velmor/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace velmor;
  std::string text(reinterpret_cast<const char*>(data), size);
  TFastParseJson plain(fuzz::kFuzzBuffer);
  bool plainOk = true;
  try {
    plain.ParseText(text);
  } catch (const Exception&) {
    plainOk = false;
  }
  TFastParseJson packed(fuzz::kFuzzBuffer);
  bool packedOk = true;
  try {
    packed.Parse(fuzz::PackStored(text), true);
  } catch (const Exception&) {
    packedOk = false;
  }
  if (plainOk != packedOk) std::abort();
  fuzz::SameRecords(plain, packed);
  // A cleared reader reads the text again as a new one does (its memory reused).
  packed.Clear();
  try {
    packed.ParseText(text);
  } catch (const Exception&) {
    if (plainOk) std::abort();
  }
  fuzz::SameRecords(plain, packed);
  if (plainOk) fuzz::UseRecords(plain);

  TFastParseJson raw(fuzz::kFuzzBuffer);
  try {
    raw.Parse(text, true);
  } catch (const Exception&) {
  }
  return 0;
}
