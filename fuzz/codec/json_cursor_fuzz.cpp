// JsonCursor against the general parser on arbitrary text: the cursor must take what the parser
// takes (within the nesting bound; a leading byte-order mark and bytes after a NUL are refused by
// design) and nothing else, and a value rebuilt from the cursor's walk must equal the parser's.
// Skip must take exactly what the full walk takes. Only JsonCursor::Malformed may come out.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "codec/json_cursor.h"
#include "velmor/json_depth.h"

namespace {

using velmor::JsonCursor;
using Json = nlohmann::json;

Json Walk(JsonCursor& c) {
  std::string scratch;
  switch (c.Peek()) {
    case JsonCursor::Kind::kObject: {
      Json o = Json::object();
      c.BeginObject();
      for (bool more = c.FirstMember(); more; more = c.NextMember()) {
        std::string key(c.Key(scratch));
        o[key] = Walk(c);  // a repeated name keeps its last value, as the parser does
      }
      return o;
    }
    case JsonCursor::Kind::kArray: {
      Json a = Json::array();
      c.BeginArray();
      for (bool more = c.FirstElement(); more; more = c.NextElement()) a.push_back(Walk(c));
      return a;
    }
    case JsonCursor::Kind::kString:
      return std::string(c.String(scratch));
    case JsonCursor::Kind::kNumber:
      // The token alone, read as the parser reads numbers; a token the cursor took and the
      // parser refuses is a difference, and so aborts (it raises out of here).
      return Json::parse(c.Number());
    default: {
      const std::string_view span = c.Skip();
      return Json::parse(span);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (!velmor::JsonDepthWithin(text)) return 0;  // refused before any reader runs
  const bool byDesign = text.rfind("\xEF\xBB\xBF", 0) == 0 || text.find('\0') != std::string::npos;

  Json walked;
  bool walkOk = true;
  try {
    JsonCursor c(text);
    walked = Walk(c);
    c.End();
  } catch (const JsonCursor::Malformed&) {
    walkOk = false;
  }
  bool skipOk = true;
  try {
    JsonCursor c(text);
    c.Skip();
    c.End();
  } catch (const JsonCursor::Malformed&) {
    skipOk = false;
  }
  if (walkOk != skipOk) std::abort();

  const Json parsed = Json::parse(text, nullptr, false);
  const bool parserOk = !parsed.is_discarded();
  if (walkOk && !parserOk) std::abort();
  if (parserOk && !walkOk && !byDesign) std::abort();
  if (walkOk && walked != parsed) std::abort();
  return 0;
}
