#include "host/net/wire.h"

#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>
#include <exception>
#include <system_error>
#include <thread>

#include <nlohmann/json.hpp>
#include "include/velmor/json_depth.h"
#include "plugin/codec/json_cursor.h"

namespace velmor::wire {

std::string EncodeEnvelope(const Envelope& e) {
  nlohmann::ordered_json j;
  j["status"] = e.status;
  j["returnCode"] = e.returnCode;
  j["returnMessage"] = e.returnMessage;
  j["responseData"] = e.responseData;
  j["response"] = e.response;
  // Invalid UTF-8 in a handler's text must not throw out of the server: replace it visibly.
  return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

namespace {

// The envelope read with the JSON cursor, without a tree: its "response" is the whole answer
// (100 MB for a large one), which the general parser would build char by char and then copy.
// False for anything but a plain well-formed envelope; the general parser then decides and names
// the problem.
bool ReadPlain(std::string_view text, Envelope& out, std::string_view* rawResponse = nullptr) {
  JsonCursor c(text);
  std::string scratch;
  bool status = false, seen[4] = {};
  std::string* targets[4] = {&out.returnCode, &out.returnMessage, &out.responseData, &out.response};
  static constexpr std::string_view kNames[4] = {"returnCode", "returnMessage", "responseData", "response"};
  c.BeginObject();
  for (bool more = c.FirstMember(); more; more = c.NextMember()) {
    const std::string key(c.Key(scratch));
    if (key == "status") {
      if (c.Peek() != JsonCursor::Kind::kNumber) return false;
      const std::string_view token = c.Number();
      int64_t v = 0;
      auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), v);
      if (ec != std::errc() || end != token.data() + token.size() || v < INT32_MIN || v > INT32_MAX) return false;
      out.status = static_cast<int32_t>(v);
      status = true;
      continue;
    }
    size_t i = 0;
    while (i < 4 && kNames[i] != key) ++i;
    if (i == 4) {
      c.Skip();
      continue;
    }
    if (c.Peek() != JsonCursor::Kind::kString) return false;
    if (i == 3 && rawResponse) {
      // Located only, to be decoded where it stands once everything else has been read; a second
      // one is left to the reading that decodes each.
      if (seen[3]) return false;
      *rawResponse = c.RawString();
      seen[3] = true;
      continue;
    }
    std::string& target = *targets[i];
    // The response is nearly the whole text: its room is taken once instead of grown into.
    if (i == 3) target.reserve(text.size() - c.Offset());
    bool escaped = false;
    const std::string_view v = c.String(target, &escaped);
    if (!escaped) target.assign(v);
    seen[i] = true;
  }
  c.End();
  return status && seen[0] && seen[1] && seen[2] && seen[3];
}

// Where the content [from, to) of a long string may be cut in two: near its middle, after eight
// plain bytes (printable ASCII, neither quote nor backslash), so that no character or escape is
// cut and the first part is decoded without reading past the cut. npos when none is near.
size_t CutPoint(std::string_view text, size_t from, size_t to) {
  constexpr size_t kPlainBefore = 8, kLookAhead = size_t{1} << 16;
  const size_t mid = from + (to - from) / 2;
  size_t plain = 0;  // plain bytes just before i
  for (size_t i = mid; i < to && i - mid < kLookAhead; ++i) {
    if (plain >= kPlainBefore) return i;
    const auto c = static_cast<unsigned char>(text[i]);
    plain = c >= 0x20 && c < 0x80 && c != '\\' && c != '"' ? plain + 1 : 0;
  }
  return std::string_view::npos;
}

// The string whose content starts at `from` decoded to the start of the buffer, the part from
// `cut` on by a thread of its own where it stands (neither part reads what the other writes),
// then moved up behind the first; its size. Without a thread the second part is decoded after
// the first. Raises JsonCursor::Malformed as StringTo does.
size_t DecodeInTwo(std::string& text, size_t from, size_t cut) {
  const std::string_view view(text);
  char* const buffer = text.data();
  size_t second = 0;
  std::exception_ptr failed;
  auto decodeSecond = [&] {
    try {
      second = JsonCursor(view).DecodePart(cut, std::string_view::npos, buffer + cut);
    } catch (...) {
      failed = std::current_exception();
    }
  };
  std::thread helper;
  try {
    helper = std::thread(decodeSecond);
  } catch (const std::system_error&) {  // no thread to be had
  }
  size_t first = 0;
  try {
    first = JsonCursor(view).DecodePart(from, cut, buffer);
  } catch (...) {
    if (helper.joinable()) helper.join();
    throw;
  }
  if (helper.joinable()) helper.join();
  else decodeSecond();
  if (failed) std::rethrow_exception(failed);
  std::memmove(buffer + first, buffer + cut, second);
  return first + second;
}

}  // namespace

bool DecodeEnvelope(std::string_view text, Envelope& out, std::string& problem) {
  try {
    if (ReadPlain(text, out)) return true;
  } catch (const JsonCursor::Malformed&) {
  }
  if (!JsonDepthWithin(text)) {
    problem = "应答" + JsonTooDeepText();
    return false;
  }
  nlohmann::json j = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (j.is_discarded()) {
    problem = "应答不是JSON";
    return false;
  }
  if (!j.is_object()) {
    problem = "应答不是JSON对象";
    return false;
  }
  auto status = j.find("status");
  if (status == j.end() || !status->is_number_integer()) {
    problem = "缺少整数成员status";
    return false;
  }
  // A number outside the 32-bit range must not wrap round into a valid status.
  bool fits = status->is_number_unsigned() ? status->get<uint64_t>() <= uint64_t(INT32_MAX)
                                           : status->get<int64_t>() >= INT32_MIN && status->get<int64_t>() <= INT32_MAX;
  if (!fits) {
    problem = "status超出范围";
    return false;
  }
  out.status = static_cast<int32_t>(status->get<int64_t>());
  struct Member {
    const char* name;
    std::string* target;
  } members[] = {{"returnCode", &out.returnCode},
                 {"returnMessage", &out.returnMessage},
                 {"responseData", &out.responseData},
                 {"response", &out.response}};
  for (auto& m : members) {
    auto it = j.find(m.name);
    if (it == j.end() || !it->is_string()) {
      problem = std::string("缺少字符串成员") + m.name;
      return false;
    }
    *m.target = std::move(it->get_ref<std::string&>());  // an answer of 100 MB is not copied
  }
  return true;
}

bool DecodeEnvelopeInPlace(std::string&& text, Envelope& out, std::string& problem, size_t inTwoFrom) {
  std::string_view raw;
  bool plain = false;
  try {
    plain = ReadPlain(text, out, &raw);
  } catch (const JsonCursor::Malformed&) {
  }
  if (!plain) return DecodeEnvelope(text, out, problem);
  // Everything but the response's own bytes is read and well-formed; those are decoded to the
  // start of the buffer (the decoding never overtakes its reading) and the buffer handed over.
  // A response that does not decode makes the text no JSON, as the general parser would find.
  const size_t open = static_cast<size_t>(raw.data() - text.data()) - 1;
  try {
    const size_t cut =
        raw.size() >= inTwoFrom ? CutPoint(text, open + 1, open + 1 + raw.size()) : std::string_view::npos;
    size_t size = 0;
    if (cut == std::string_view::npos) {
      JsonCursor c(std::string_view(text).substr(open));
      size = c.StringTo(text.data());
    } else {
      size = DecodeInTwo(text, open + 1, cut);
    }
    text.resize(size);
  } catch (const JsonCursor::Malformed&) {
    problem = "应答不是JSON";
    return false;
  }
  out.response = std::move(text);
  return true;
}

bool IsServiceCode(std::string_view code) {
  if (code.size() != 4) return false;
  for (char c : code)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string ServicePath(std::string_view code) { return std::string(kServicePrefix) + std::string(code); }
std::string AsyncPath(std::string_view code) { return std::string(kAsyncPrefix) + std::string(code); }
std::string PollPath(std::string_view code) { return AsyncPath(code) + std::string(kPollSuffix); }

}  // namespace velmor::wire
