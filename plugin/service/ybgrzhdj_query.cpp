#include "service/ybgrzhdj_query.h"

#include <charconv>

namespace velmor::service {

Json YbgrzhdjQueryParams(const std::string& djxh, const YbgrzhdjQuery& q) {
  Json p = Json::object();
  p["djxh"] = djxh;
  p["zgswjgDm"] = q.zgswjgDm;
  p["djnd"] = "";
  p["sftj"] = q.count ? "Y" : "N";
  p["gxsjq"] = q.gxsjq;
  p["gxsjz"] = q.gxsjz;
  p["pagenum"] = std::to_string(q.pagenum);
  p["pagesize"] = std::to_string(q.pagesize);
  return p;
}

namespace {

int32_t PageNumber(const Json& params, const char* key, int32_t fallback) {
  const std::string text = Text(params, key);
  if (text.empty()) return fallback;
  int32_t v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < 1) throw OpRefusal("分页参数无效");
  return v;
}

}  // namespace

YbgrzhdjQuery YbgrzhdjQueryOf(const Json& params, bool count) {
  YbgrzhdjQuery q;
  q.zgswjgDm = Text(params, "zgswjgDm");
  q.gxsjq = Text(params, "gxsjq");
  q.gxsjz = Text(params, "gxsjz");
  q.count = count;
  q.pagenum = PageNumber(params, "pagenum", 1);
  q.pagesize = PageNumber(params, "pagesize", q.pagesize);
  return q;
}

}  // namespace velmor::service
