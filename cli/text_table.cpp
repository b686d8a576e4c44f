#include "cli/text_table.h"

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

namespace {
void Print(std::vector<OutputColumn> columns, const std::vector<std::vector<std::string>>& rows) {
  Output out;
  out.Begin("", std::move(columns));
  for (const auto& r : rows) out.Row(r);
  out.Finish();
}
}  // namespace

void PrintTable(std::initializer_list<OutputColumn> columns, const std::vector<std::vector<std::string>>& rows) {
  Print(columns, rows);
}

void PrintTable(const std::vector<std::string>& head, const std::vector<std::vector<std::string>>& rows) {
  std::vector<OutputColumn> columns;
  for (const std::string& h : head) columns.push_back({h, h});
  Print(std::move(columns), rows);
}

std::string CellText(const nlohmann::json& row, const char* key) {
  auto it = row.find(key);
  if (it == row.end() || it->is_null()) return {};
  return it->is_string() ? it->get<std::string>() : it->dump();
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
