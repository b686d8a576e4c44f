#include "host/components/chinese_amount.h"

#include <cmath>
#include <cstdint>

namespace velmor::host::net {
namespace {

const char* const kDigits[] = {"零", "壹", "贰", "叁", "肆", "伍", "陆", "柒", "捌", "玖"};
const char* const kUnits[] = {"", "拾", "佰", "仟"};

// The integer part; n > 0.
std::string ReadInteger(uint64_t n) {
  std::string digits = std::to_string(n);
  std::string out;
  bool zeroPending = false;
  bool groupHasDigit = false;
  bool yiGroupsHaveDigit = false;  // groups 2 and 3 (亿 and 万亿) share the 亿
  size_t len = digits.size();
  for (size_t i = 0; i < len; ++i) {
    size_t pos = len - 1 - i;
    int d = digits[i] - '0';
    if (d == 0) {
      zeroPending = !out.empty();
    } else {
      if (zeroPending) out += kDigits[0];
      zeroPending = false;
      out += kDigits[d];
      out += kUnits[pos % 4];
      groupHasDigit = true;
    }
    if (pos % 4 == 0) {
      size_t group = pos / 4;
      if (group == 3 || group == 2) yiGroupsHaveDigit |= groupHasDigit;
      if (group == 1 && groupHasDigit) out += "万";
      if (group == 3 && groupHasDigit) out += "万";
      if (group == 2 && yiGroupsHaveDigit) out += "亿";
      groupHasDigit = false;
    }
  }
  return out;
}

}  // namespace

std::string AmountInChineseCapitals(double amount) {
  if (!std::isfinite(amount)) return {};
  double cents = std::round(std::fabs(amount) * 100.0);
  if (cents >= 1e18) return {};
  auto total = static_cast<uint64_t>(cents);
  uint64_t yuan = total / 100;
  int jiao = static_cast<int>(total / 10 % 10);
  int fen = static_cast<int>(total % 10);
  if (yuan >= 10000000000000000ull) return {};

  std::string out = amount < 0 && total > 0 ? "负" : "";
  if (yuan > 0) {
    out += ReadInteger(yuan) + "元";
  } else if (jiao == 0 && fen == 0) {
    out += "零元";
  }
  if (jiao > 0) {
    out += std::string(kDigits[jiao]) + "角";
  } else if (fen > 0 && yuan > 0) {
    out += kDigits[0];
  }
  if (fen > 0)
    out += std::string(kDigits[fen]) + "分";
  else
    out += "整";
  return out;
}

}  // namespace velmor::host::net
