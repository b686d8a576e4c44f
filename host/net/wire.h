// The HTTP wire between the reference host and the tax server (docs/wire.md): paths, header
// names, status values and the JSON envelope of every answer. Compiled into both the host and the
// simulator so the two cannot drift apart.
//
// Pure values and functions; safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmor::wire {

inline constexpr std::string_view kServicePrefix = "/service/";  // + code
inline constexpr std::string_view kAsyncPrefix = "/async/";      // + code, + code + kPollSuffix
inline constexpr std::string_view kPollSuffix = "/poll";
inline constexpr const char* kSerialHeader = "X-Velmor-Serial-No";
inline constexpr const char* kFaultHeader = "X-Taxsim-Fault";
inline constexpr const char* kJsonContentType = "application/json; charset=utf-8";

// Envelope statuses.
inline constexpr int32_t kAnswered = 2;        // service: answered
inline constexpr int32_t kAnsweredOne = 1;     // service: answered (success status 1); submit: accepted; poll: answered
inline constexpr int32_t kPending = 0;         // poll: not yet answered
inline constexpr int32_t kFailed = -1;         // poll: failed
inline constexpr int32_t kRefused = -2;        // service, submit: refused by the server

inline constexpr const char* kSuccess = "SUCCESS";

struct Envelope {
  int32_t status = kAnswered;
  std::string returnCode = kSuccess;
  std::string returnMessage;
  std::string responseData = "null";
  std::string response;
};

// The envelope as one line of JSON (keys in the documented order).
std::string EncodeEnvelope(const Envelope& envelope);

// Reads an envelope. False, with a one-line `problem`, when the text is not a JSON object holding
// the five members with their types; `out` is then unspecified.
bool DecodeEnvelope(std::string_view text, Envelope& out, std::string& problem);
// The same, taking the text: the response is decoded where it stands in the text's own buffer,
// which then becomes `out.response`, so a large answer takes no second buffer (tens of MB of new
// pages cost more to touch than to decode). Results and problems are those of DecodeEnvelope.
// A response of `inTwoFrom` bytes or more is decoded in two parts at once, the second on a
// thread of its own, cut near its middle after plain bytes and moved up behind the first.
inline constexpr size_t kDecodeInTwoFrom = size_t{8} << 20;
bool DecodeEnvelopeInPlace(std::string&& text, Envelope& out, std::string& problem,
                           size_t inTwoFrom = kDecodeInTwoFrom);

// True for exactly four ASCII digits.
bool IsServiceCode(std::string_view code);

// "/service/0053", "/async/0053", "/async/0053/poll".
std::string ServicePath(std::string_view code);
std::string AsyncPath(std::string_view code);
std::string PollPath(std::string_view code);

}  // namespace velmor::wire
