#include "cli/text_table.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace velmor::cli {

size_t DisplayWidth(const std::string& s) {
  size_t w = 0;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = s[i];
    size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    w += len >= 3 ? 2 : 1;
    i += len;
  }
  return w;
}

void PrintTable(const std::vector<std::string>& head, const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> widths(head.size());
  for (size_t c = 0; c < head.size(); ++c) widths[c] = DisplayWidth(head[c]);
  for (const auto& r : rows)
    for (size_t c = 0; c < r.size() && c < widths.size(); ++c) widths[c] = std::max(widths[c], DisplayWidth(r[c]));
  auto line = [&](const std::vector<std::string>& r) {
    std::string out;
    for (size_t c = 0; c < r.size() && c < widths.size(); ++c) {
      out += r[c];
      if (c + 1 < r.size()) out += std::string(widths[c] - DisplayWidth(r[c]) + 2, ' ');
    }
    std::printf("%s\n", out.c_str());
  };
  line(head);
  for (const auto& r : rows) line(r);
}

std::string Money(double amount) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", amount);
  return buf;
}

std::string Money(const std::string& text) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0') return text;
  return Money(v);
}

}  // namespace velmor::cli
