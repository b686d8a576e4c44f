#include "workbook/collation.h"

#include <iconv.h>

#include <algorithm>
#include <utility>

namespace velmor::workbook {

std::string ChineseSortKey(std::string_view utf8) {
  // Keys start with a class byte so that unconvertible texts (class 1) follow all others.
  std::string fallback = std::string(1, '\x01') + std::string(utf8);
  iconv_t cd = iconv_open("GB18030", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return fallback;
  std::string out(utf8.size() * 2 + 8, '\0');
  char* src = const_cast<char*>(utf8.data());
  size_t srcLeft = utf8.size();
  char* dst = out.data() + 1;
  size_t dstLeft = out.size() - 1;
  size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) return fallback;
  out.resize(out.size() - dstLeft);
  return out;  // out[0] is the class byte 0
}

void SortChineseUnique(std::vector<std::string>& texts) {
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(texts.size());
  for (auto& t : texts) keyed.emplace_back(ChineseSortKey(t), std::move(t));
  // std::string compares char_traits<char>, which orders as unsigned bytes.
  std::sort(keyed.begin(), keyed.end());
  keyed.erase(std::unique(keyed.begin(), keyed.end(),
                          [](const auto& a, const auto& b) { return a.second == b.second; }),
              keyed.end());
  texts.clear();
  for (auto& k : keyed) texts.push_back(std::move(k.second));
}

}  // namespace velmor::workbook
