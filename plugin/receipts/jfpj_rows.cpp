#include "receipts/jfpj_rows.h"
#include "codec/text_utils.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "business/date_time.h"
#include "roster/name_check.h"

namespace velmor::receipts {

namespace {

bool AllDigits(const std::string& s) { return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos; }

// A whole decimal number (no trailing text, not NaN or infinite).
std::optional<double> Number(const std::string& s) {
  if (s.empty() || s.find_first_not_of("+-.0123456789eE") != std::string::npos) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (*end || !std::isfinite(v)) return std::nullopt;
  return v;
}

// "yyyy-mm" of a period "yyyy-m(m)" whose first day is a date; empty otherwise.
std::string NormalPeriod(const std::string& text) {
  const std::string date = NormalDate(text + "-01");
  return date.empty() ? std::string() : date.substr(0, 7);
}

}  // namespace

std::string NormalDate(const std::string& text) {
  const char sep = text.find('/') != std::string::npos ? '/' : '-';
  const size_t a = text.find(sep), b = a == std::string::npos ? a : text.find(sep, a + 1);
  if (b == std::string::npos || text.find(sep, b + 1) != std::string::npos) return {};
  const std::string y = text.substr(0, a), m = text.substr(a + 1, b - a - 1), d = text.substr(b + 1);
  if (y.size() != 4 || m.empty() || m.size() > 2 || d.empty() || d.size() > 2) return {};
  if (!AllDigits(y) || !AllDigits(m) || !AllDigits(d)) return {};
  TDateTime unused = 0;
  const int yy = std::atoi(y.c_str()), mm = std::atoi(m.c_str()), dd = std::atoi(d.c_str());
  if (!TryEncodeDate(yy, mm, dd, unused)) return {};
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", yy, mm, dd);
  return buf;
}

bool HeaderMatches(const std::vector<std::string>& row) {
  if (row.size() < kColumns.size()) return false;
  for (size_t i = 0; i < row.size(); ++i) {
    const std::string cell = TrimBlanks(row[i]);
    if (i < kColumns.size() ? cell != kColumns[i].title : !cell.empty()) return false;
  }
  return true;
}

std::optional<nlohmann::ordered_json> CheckRow(const std::vector<std::string>& cells, std::string& error) {
  error.clear();
  nlohmann::ordered_json r = nlohmann::ordered_json::object();
  for (size_t i = 0; i < kColumns.size(); ++i) {
    const std::string v = i < cells.size() ? TrimBlanks(cells[i]) : std::string();
    if (v.empty()) {
      error = kColumns[i].emptyMessage;
      return std::nullopt;
    }
    r[kColumns[i].key] = v;
  }
  if (!IsChineseName(r["xm"].get<std::string>())) error = kBadName;
  const std::string zjhm = r["zjhm"];
  if (error.empty() && zjhm.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") !=
                           std::string::npos)
    error = kBadZjhm;
  const std::string q = NormalPeriod(r["fkssqq"]), z = NormalPeriod(r["fkssqz"]);
  if (error.empty() && (q.empty() || z.empty())) error = kBadPeriod;
  if (error.empty() && q > z) error = kPeriodReversed;
  // An amount that is no number is as wrong as a negative one: it must never be stored as 0.
  const std::optional<double> je = Number(r["je"]);
  if (error.empty() && (!je || *je < 0)) error = kBadAmount;
  const std::string jfrq = NormalDate(r["jfrq"]);
  if (error.empty() && jfrq.empty()) error = kBadJfrq;
  if (!error.empty()) return std::nullopt;
  r["fkssqq"] = q;
  r["fkssqz"] = z;
  r["jfrq"] = jfrq;
  r["jfje"] = std::round(*je * 100) / 100;
  return r;
}

}  // namespace velmor::receipts
