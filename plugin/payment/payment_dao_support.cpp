// The payment store's helpers shared by its reads, writes and the download of server lines.
#include <charconv>

#include "codec/json_cursor.h"
#include "codec/json_parse.h"
#include "framework/host_access.h"
#include "payment/line_texts.h"
#include "payment/payment_dao.h"
#include "service/taxml_json.h"

namespace velmor::payment {

std::string PayerOr(const std::string& djxh) { return djxh.empty() ? CurrentDjxh() : djxh; }

Payer::Payer() {
  try {
    djxh_ = CurrentDjxh();
  } catch (...) {
    failure_ = std::current_exception();
  }
}

const std::string& Payer::Djxh() const {
  if (failure_) std::rethrow_exception(failure_);
  return djxh_;
}

Json ObjectOf(const std::string& text, const char* what) {
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) return Json::object();
  Json o = ParseOutsideJson<Json>(text, false);
  if (!o.is_object()) throw Exception(std::string(what) + "不是JSON对象。");
  return o;
}

Json ArrayOf(const std::string& text, const char* what) {
  Json a = ParseOutsideJson<Json>(text, false);
  if (!a.is_array()) throw Exception(std::string(what) + "不是JSON数组。");
  return a;
}

std::string_view CheckedArray(const std::string& text, const char* what, std::string& normal) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first != std::string::npos && text[first] == '[' && JsonCursor::Accepts(text)) return text;
  normal = ArrayOf(text, what).dump();
  return normal;
}

double NumberOf(const Json& o, const char* key) { return NumberOfText(service::Text(o, key)); }

int32_t IntOf(const Json& o, const char* key) { return static_cast<int32_t>(NumberOf(o, key)); }

SqlFragment PageClause(int32_t page, int32_t pageSize) {
  if (page <= 0 || pageSize <= 0) return {};
  return SqlFragment::Trusted(FormatSql(" LIMIT %d, %d", {(page - 1) * pageSize, pageSize}));
}

Json LineRow(Json row) {
  if (auto it = row.find("yhhbmc"); it != row.end()) {
    Json v = *it;
    row.erase(it);
    row["yhhbMc"] = std::move(v);
  }
  if (auto it = row.find("dzjfpzdyID"); it != row.end() && it->is_string() && it->get<std::string>().empty())
    row.erase(it);
  return row;
}

const RowShape& LineShape() {
  static const RowShape shape{{{"yhhbmc", "yhhbMc"}}, {"dzjfpzdyID"}};
  return shape;
}

SqlFragment StatusList(const std::string& jkztList) {
  Json a = ArrayOf(jkztList, "缴费状态列表");
  if (a.empty()) throw Exception("缴费状态列表为空。");
  std::string out;
  for (const Json& v : a) {
    int32_t n = 0;
    if (v.is_number_integer()) {
      n = v.get<int32_t>();
    } else {
      const std::string s = v.is_string() ? v.get<std::string>() : v.dump();
      auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
      if (ec != std::errc() || p != s.data() + s.size()) throw Exception("缴费状态[" + s + "]不是整数。");
    }
    out += (out.empty() ? "" : ",") + std::to_string(n);
  }
  return SqlFragment::Trusted(out);
}

SqlFragment JfrlxClause(const char* column, int32_t jfrlx) {
  const std::string c(column);
  if (jfrlx == 0) return SqlFragment::Trusted(" and (" + c + "=0 or " + c + " is null)");
  return SqlFragment::Trusted(" and " + c + "=" + std::to_string(jfrlx));
}

}  // namespace velmor::payment
