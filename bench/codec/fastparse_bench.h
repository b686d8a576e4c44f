// Shared pieces of bench_fastparse: the generated inputs and the pairs of benchmarks whose
// throughput ratio the summary prints.
#pragma once

#include <string>
#include <vector>

namespace velmor::bench {

// 100,000 flat enrolment records of 17 fields, as the roster download returns them.
const std::string& EnrolmentJson();
// The same text as the server sends it: Base64 of a gzip member.
const std::string& EnrolmentPacked();
inline constexpr int kEnrolmentRecords = 100000;

// About 10 MB of taxML response with a few thousand result rows.
const std::string& TaxmlResponse();
// The number of result rows in it.
int TaxmlRowCount();
// The element names of one row, in order.
const std::vector<std::string>& TaxmlRowFields();

// One ratio line of the summary: ours against the peer, measured in the same run.
struct RatioPair {
  const char* what;
  const char* ours;
  const char* peer;
  const std::string& (*input)();  // the text each iteration reads
  double goal;   // the least acceptable throughput ratio, 0 when there is none
};
void AddRatio(const RatioPair& pair);

}  // namespace velmor::bench
