// taxml::Response on arbitrary answers: as a Base64 response text, as gzip, and as a document
// text. Each either yields a document whose reads do not crash or raises velmor::Exception.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "codec/base64.h"
#include "codec/taxml_response.h"

namespace {

void Read(const velmor::taxml::Response& r) {
  try {
    (void)r.Succeeded();
    (void)r.FailureText();
  } catch (const velmor::Exception&) {
    // no <code>: reported, not a crash
  }
  (void)r.Value("message");
  for (pugi::xml_node n : r.List("sbqkxxList").children()) (void)n.child_value("sbzt");
  try {
    r.RequireList("errorDTOList");
  } catch (const velmor::taxml::Failure&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string in(reinterpret_cast<const char*>(data), size);
  std::string wrapped = velmor::Base64Encode(in);
  for (int form = 0; form < 4; ++form) {
    try {
      switch (form) {
        case 0: Read(velmor::taxml::Response::Decode(in)); break;
        case 1: Read(velmor::taxml::Response::Decode(wrapped)); break;
        case 2: Read(velmor::taxml::Response::Decode(wrapped, {.gzip = true})); break;
        default: Read(velmor::taxml::Response::Parse(in)); break;
      }
    } catch (const velmor::Exception&) {
    }
  }
  return 0;
}
