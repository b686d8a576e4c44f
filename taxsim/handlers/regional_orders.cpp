// Regional individual payment orders on the simulated server (JSON answers under return code
// "SUCCESS"; a bad request answers "PARAM_ERROR" or "NOT_FOUND" with a message). Every answer
// carries its orders as detailList: [{content: {orderId, orderStatus, djxh, taxOrgCode,
// orderTime, payTime, expireTime, payChannelName, personNo, insuranceType, payYear, amount, name,
// certType, certNo, payDetail: [{sbjbjgdm, beginDate, endDate, zsxmdm, zspmdm, zszmdm, xzlxdm,
// amount}]}}].
//  "0189" an order (a SbfHnGrJfXdRequest document: rybh, xm, zjlx, zjhm, xzlx, jfnd and the
//         payDetail rows): a new order, state "0", amount the lines' total (each line's amount
//         kept as sent); a total not above 0: "PARAM_ERROR" "缴费金额必须大于0".
//  "0190" the state of an order (body djxh, ddh).
//  "0191" a page of the payer's orders (body djxh, ddscrqq, ddscrqz, pageNumber, pageSize),
//         newest first, with "total".
// Orders live in State::residents["hngrjf"] by orderId; tests change orderStatus there.
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "taxsim/handlers.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {

namespace {

using Json = nlohmann::json;

std::string TimeText(int addSeconds) {
  return LocalTimeText("%Y-%m-%d %H:%M:%S", addSeconds);
}

Json& Orders(State& s) {
  Json& book = s.residents["hngrjf"];
  if (!book.is_object()) book = Json::object();
  return book;
}

Json Details(const std::vector<Json>& orders) {
  Json list = Json::array();
  for (const Json& o : orders) list.push_back({{"content", o}});
  return list;
}

Answer Order(const Call& call, State& s) {
  if (!call.document) return JsonRefusal("PARAM_ERROR", "缺少订单报文");
  Json lines = Json::array();
  double total = 0;
  for (pugi::xml_node r : DocumentRows(call, "payDetail")) {
    Json l = Json::object();
    for (const char* key : {"sbjbjgdm", "beginDate", "endDate", "zsxmdm", "zspmdm", "zszmdm", "xzlxdm", "amount"})
      l[key] = r.child(key).text().get();
    total += std::atof(l["amount"].get<std::string>().c_str());
    lines.push_back(std::move(l));
  }
  if (!(total > 0)) return JsonRefusal("PARAM_ERROR", "缴费金额必须大于0");
  Json& book = Orders(s);
  const std::string orderId = "HN" + std::to_string(200001 + book.size());
  const RequestDocument& d = *call.document;
  Json o = {{"orderId", orderId},       {"orderStatus", "0"},          {"djxh", call.Djxh()},
            {"taxOrgCode", "14403000000"}, {"orderTime", TimeText(0)},   {"payTime", ""},
            {"expireTime", TimeText(86400)}, {"payChannelName", ""},     {"personNo", d.Value("rybh")},
            {"insuranceType", d.Value("xzlx")}, {"payYear", d.Value("jfnd")}, {"amount", Amount(total)},
            {"name", d.Value("xm")},        {"certType", d.Value("zjlx")}, {"certNo", d.Value("zjhm")},
            {"payDetail", lines}};
  book[orderId] = o;
  return Answer::Json({{"detailList", Details({o})}});
}

Answer StateOf(const Call& call, State& s) {
  Json& book = Orders(s);
  auto it = book.find(call.Key("ddh"));
  if (it == book.end() || (*it)["djxh"] != call.Djxh()) return JsonRefusal("NOT_FOUND", "订单不存在");
  return Answer::Json({{"detailList", Details({*it})}});
}

Answer List(const Call& call, State& s) {
  const long page = std::atol(call.Key("pageNumber").c_str()), size = std::atol(call.Key("pageSize").c_str());
  if (page < 1 || size < 1) return JsonRefusal("PARAM_ERROR", "分页参数无效");
  const std::string from = call.Key("ddscrqq"), to = call.Key("ddscrqz");
  std::vector<Json> found;
  for (const Json& o : Orders(s)) {
    const std::string day = o["orderTime"].get<std::string>().substr(0, 10);
    if (o["djxh"] == call.Djxh() && (from.empty() || day >= from) && (to.empty() || day <= to)) found.push_back(o);
  }
  std::vector<Json> pageRows;
  for (size_t rank = 0; rank < found.size(); ++rank) {
    if (rank >= static_cast<size_t>((page - 1) * size) && rank < static_cast<size_t>(page * size))
      pageRows.push_back(found[found.size() - 1 - rank]);
  }
  return Answer::Json({{"total", std::to_string(found.size())}, {"detailList", Details(pageRows)}});
}

}  // namespace

void RegisterRegionalOrderHandlers(HandlerRegistry& r) {
  r.Add("0189", Order);
  r.Add("0190", StateOf);
  r.Add("0191", List);
}

}  // namespace velmor::taxsim
