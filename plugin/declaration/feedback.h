// Reading the feedback of a declaration submission: a response with `ybtfe` or `cwmxList` is a
// final result (state 2 with the voucher number, or 3 with the reason and the persons in error);
// one with neither is accepted without a final result (state 9) or, with another code, a failure.
#pragma once

#include <cstdint>
#include <string>

#include "codec/taxml_exchange.h"
#include "codec/taxml_response.h"

namespace velmor::declaration {

struct Feedback {
  bool final = false;      // ybtfe or cwmxList present
  int32_t sbzt = 0;        // 2, 3 or 9
  std::string yzpzxh;      // with state 2
  std::string sbyy;        // with state 3: "【code】message"
  std::string errors = "[]";  // JSON [{"jfmxxh", "sbyy"}] of cwmxList
};

// The server answered, and its answer says it does not hold the declaration: a non-final
// answer whose code is not "00000".
class FeedbackRefused : public taxml::Failure {
 public:
  using taxml::Failure::Failure;
  const char* ClassName() const noexcept override { return "FeedbackRefused"; }
};

// The server refused the submission itself (a refusal other than "10042"): its message reaches
// the user as it stands, without the operation's prefix.
class SendRefused : public FeedbackRefused {
 public:
  using FeedbackRefused::FeedbackRefused;
  const char* ClassName() const noexcept override { return "SendRefused"; }
};

// Raises FeedbackRefused with the response's failure text for a non-final answer whose code is
// not "00000".
Feedback ReadFeedback(const taxml::Response& answer);

// The result codes of the second form of submission: "60001" accepted without a final result
// (state 9, fetched later); "60002" declaration refused (state 3 with "【60002】" + message).
inline constexpr const char* kAcceptedPending = "60001";
inline constexpr const char* kDeclarationRefused = "60002";

// The feedback of a second-form answer: those two codes, else as ReadFeedback.
Feedback ReadSecondFormFeedback(const taxml::Response& answer);

}  // namespace velmor::declaration
