// Individual online payment orders on the simulated server (JSON answers under return code
// "SUCCESS"; a bad request answers return code "PARAM_ERROR" or "NOT_FOUND" with a message):
//  "0049" an order (a SbfGrJfXdRequest document: the order's members, jfje its amount): a new
//         orderId and queryId, zffsDm "02", a payment address and QR-code text, ddscsj now; an
//         amount not above 0: "PARAM_ERROR" "缴费金额必须大于0".
//  "0050" details of an order (body orderId, djxh, queryId): the order as stored.
//  "0051" the payer's orders (body xnhDjxh, djxh, ddscsjq, ddscsjz, pageNumber, pageSize,
//         jfrlxDm): a page of them, newest first, as a JSON array.
//  "0052" the state of an order: {ddztDm, sbyy}; ddztDm "0" unpaid, "1" paid, "2" closed,
//         "3" failed with its reason.
// Orders live in State::residents["grjf"] by orderId; tests change ddztDm there.
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "taxsim/handlers.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {

namespace {

using Json = nlohmann::json;

std::string NowText() {
  return LocalTimeText("%Y-%m-%d %H:%M:%S");
}

Json& Orders(State& s) {
  Json& book = s.residents["grjf"];
  if (!book.is_object()) book = Json::object();
  return book;
}

Answer Order(const Call& call, State& s) {
  if (!call.document) return JsonRefusal("PARAM_ERROR", "缺少订单报文");
  double jfje = std::atof(call.document->Value("jfje").c_str());
  if (!(jfje > 0)) return JsonRefusal("PARAM_ERROR", "缴费金额必须大于0");
  Json& book = Orders(s);
  const std::string n = std::to_string(100001 + book.size());
  const std::string orderId = "OD" + n, queryId = "Q" + n;
  Json order = {{"orderId", orderId},
                {"queryId", queryId},
                {"djxh", call.Djxh()},
                {"xm", call.document->Value("xm")},
                {"zjhm", call.document->Value("zjhm")},
                {"jfje", Amount(jfje)},
                {"zffsDm", "02"},
                {"zfUrl", "https://pay.taxsim.test/order/" + orderId},
                {"qrcodeStr", "taxsim://pay/" + orderId},
                {"ddscsj", NowText()},
                {"ddztDm", "0"},
                {"sbyy", ""}};
  book[orderId] = order;
  return Answer::Json(order);
}

const Json* Find(const Call& call, State& s) {
  Json& book = Orders(s);
  auto it = book.find(call.Key("orderId"));
  if (it == book.end() || (*it)["queryId"] != call.Key("queryId") || (*it)["djxh"] != call.Djxh()) return nullptr;
  return &*it;
}

Answer Details(const Call& call, State& s) {
  const Json* o = Find(call, s);
  if (!o) return JsonRefusal("NOT_FOUND", "订单不存在");
  return Answer::Json(*o);
}

Answer StateOf(const Call& call, State& s) {
  const Json* o = Find(call, s);
  if (!o) return JsonRefusal("NOT_FOUND", "订单不存在");
  return Answer::Json({{"ddztDm", (*o)["ddztDm"]}, {"sbyy", (*o)["sbyy"]}});
}

Answer List(const Call& call, State& s) {
  const long page = std::atol(call.Key("pageNumber").c_str()), size = std::atol(call.Key("pageSize").c_str());
  if (page < 1 || size < 1) return JsonRefusal("PARAM_ERROR", "分页参数无效");
  const std::string from = call.Key("ddscsjq"), to = call.Key("ddscsjz");
  std::vector<Json> found;
  for (const Json& o : Orders(s)) {
    const std::string day = o["ddscsj"].get<std::string>().substr(0, 10);
    if (o["djxh"] != call.Djxh() || (!from.empty() && day < from) || (!to.empty() && day > to)) continue;
    found.push_back(o);
  }
  Json out = Json::array();
  for (size_t i = found.size(); i-- > 0;) {
    const size_t rank = found.size() - 1 - i;
    if (rank >= static_cast<size_t>((page - 1) * size) && rank < static_cast<size_t>(page * size))
      out.push_back(found[i]);
  }
  return Answer::Json(out);
}

}  // namespace

void RegisterOnlineOrderHandlers(HandlerRegistry& r) {
  r.Add("0049", Order);
  r.Add("0050", Details);
  r.Add("0051", List);
  r.Add("0052", StateOf);
}

}  // namespace velmor::taxsim
