#include "cli/demo/arrears_split.h"

#include <cstdlib>
#include <unordered_set>

#include "cli/json_rows.h"

namespace velmor::cli {

ArrearsSplit SplitArrears(std::string_view lines) {
  struct Line {
    std::string_view span;
    std::string yzpzxh;
    double qfje;
  };
  std::vector<Line> read;
  ForEachRow(lines, {"yzpzxh", "qfje"}, [&](std::string_view span, const std::vector<std::string>& v) {
    read.push_back({span, v[0], v[1].empty() ? 0 : std::strtod(v[1].c_str(), nullptr)});
  });
  ArrearsSplit out;
  const size_t half = (read.size() + 1) / 2;
  std::unordered_set<std::string> documents;
  // Each half's room taken once: grown by doubling, a text of 100,000 lines is copied at every step.
  size_t room[2] = {2, 2};
  for (size_t i = 0; i < read.size(); ++i) room[i < half ? 0 : 1] += read[i].span.size() + 1;
  out.deduction.reserve(room[0]);
  out.voucher.reserve(room[1]);
  out.deduction = "[";
  out.voucher = "[";
  for (size_t i = 0; i < read.size(); ++i) {
    const bool deduct = i < half;
    std::string& text = deduct ? out.deduction : out.voucher;
    if (text.size() > 1) text += ',';
    text += read[i].span;
    if (deduct) {
      ++out.deductionLines;
      out.deductionAmount += read[i].qfje;
      if (documents.insert(read[i].yzpzxh).second) out.deductedDocuments.push_back(read[i].yzpzxh);
    } else {
      ++out.voucherLines;
      out.voucherAmount += read[i].qfje;
    }
  }
  out.deduction += ']';
  out.voucher += ']';
  return out;
}

}  // namespace velmor::cli
