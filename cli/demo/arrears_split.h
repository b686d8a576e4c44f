// The demo's payment: the arrears lines of GetQfxxLb (a JSON array of line objects) cut in two,
// the first half (rounded up) to deduct and the rest for bank-side vouchers, each half as the
// JSON text of its lines exactly as they were listed. The text is walked once with the JSON
// cursor, never held as a tree (200,000 lines at 100,000 persons).
//
// Plain functions; any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmor::cli {

struct ArrearsSplit {
  std::string deduction = "[]", voucher = "[]";  // JSON arrays of the lines, as listed
  size_t deductionLines = 0, voucherLines = 0;
  double deductionAmount = 0, voucherAmount = 0;   // sums of the lines' qfje
  std::vector<std::string> deductedDocuments;      // yzpzxh of the deducted lines, first seen first
};

// Raises std::runtime_error naming the byte when the text is no JSON array of objects.
ArrearsSplit SplitArrears(std::string_view lines);

}  // namespace velmor::cli
