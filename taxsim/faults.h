// Faults: the ways a test can make the simulator misbehave for chosen requests (docs/wire.md,
// "Simulator control"). A fault is queued in the FaultBook through the control endpoint (or
// directly, in-process) and consumed by the requests it matches; a request can also carry its own
// faults in the X-Taxsim-Fault header.
//
// FaultBook is thread-safe (one mutex); Fault values are plain data.
#pragma once

#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace velmor::taxsim {

class FaultError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

enum class FaultKind {
  kRefuse,
  kCode,
  kDropList,
  kBadBase64,
  kDelay,
  kDrop,
  kHttpError,
  kNotJson,
  kDropAnswer,
  kEmptyAnswer,  // the answer's response is `text` ("" or "null"): the server answered nothing
  kPending,      // a submitted job answers "pending" for `polls` polls (-1: never answers)
  kOmitRows,     // every `every`-th row of the list `list` is left out of the taxML answer
  kInstruction,  // the taxML answer's root begins with a processing instruction
};

enum class Endpoint { kService, kSubmit, kPoll, kAny };

struct Fault {
  FaultKind kind = FaultKind::kRefuse;
  std::string serviceCode;  // empty: any
  std::string serial;       // empty: any
  Endpoint endpoint = Endpoint::kAny;
  int count = 1;            // requests it applies to; -1 until cleared
  int skip = 0;             // matching requests let through untouched before it applies
  std::string code;         // refuse, code
  std::string message;      // refuse, code
  std::string list;         // drop-list
  int delayMs = 0;          // delay
  int httpStatus = 500;     // http-error
  std::string text;         // empty-answer
  int polls = 0;            // pending
  int every = 2;            // omit-rows

  bool Matches(Endpoint at, std::string_view serviceCode, std::string_view serial) const;
};

inline constexpr int kMaxDelayMs = 60000;

// Reads a fault from its JSON form ({"kind": "refuse", "code": "10042", ...}); defaults as in
// docs/wire.md. Raises FaultError naming the bad member.
Fault ParseFault(const nlohmann::json& j);
// Reads the faults of an X-Taxsim-Fault header: "kind=refuse;code=10042,kind=delay;delayMs=50".
std::vector<Fault> ParseFaultHeader(std::string_view header);

class FaultBook {
 public:
  void Add(Fault fault);
  void Clear();
  // The faults that apply to this request, in the order they were queued; each one's count is
  // used up by one (a fault whose count reaches 0 leaves the book).
  std::vector<Fault> Take(Endpoint at, std::string_view serviceCode, std::string_view serial);
  size_t Size();

 private:
  std::mutex mutex_;
  std::vector<Fault> faults_;
};

}  // namespace velmor::taxsim
