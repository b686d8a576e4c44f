#include "onlinepay/hn_grsbfjn.h"

#include "codec/taxml_request.h"
#include "framework/boundary.h"
#include "framework/host_access.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "onlinepay/grsbfjn.h"
#include "onlinepay/hn_grsbfjn_dao.h"

namespace velmor {

namespace {

using service::Json;
using service::OpRefusal;
using service::Text;

constexpr service::OpRow kXd{kHnClass, "Xd", "0189", "下单异常："};
constexpr service::OpRow kZt{kHnClass, "ddztCx", "0190", "订单状态查询异常："};
constexpr service::OpRow kList{kHnClass, "ddCx", "0191", "批量个人缴款记录查询失败："};
constexpr const char* kXdType = "SbfHnGrJfXdRequest";

Ref<IHnGrsbfjnDAO> Dao() { return CreatePluginService<IHnGrsbfjnDAO>(kHnNoDao); }

// The answer's detailList (an empty array when the answer has none), stored.
Json StoreDetails(const Json& answer) {
  Json list = answer.is_object() && answer.contains("detailList") ? answer["detailList"] : Json::array();
  if (!list.is_array()) throw OpRefusal("反馈报文异常：detailList不是数组");
  if (list.empty()) return list;
  Ref<IHnGrsbfjnDAO> dao = Dao();
  if (!dao->SaveJfxx(list.dump())) throw OpRefusal(dao->GetErrorMessage());
  return list;
}

// An order row as stored, from the content of a detailList entry.
Json OrderRow(const Json& entry) {
  const Json& c = entry.contains("content") ? entry["content"] : entry;
  return {{"ddh", Text(c, "orderId")},
          {"ddzt", onlinepay::HnOrderState(Text(c, "orderStatus"))},
          {"ddscrq", Text(c, "orderTime")},
          {"ddzfsj", Text(c, "payTime")},
          {"ddsxsj", Text(c, "expireTime")},
          {"zfqd", Text(c, "payChannelName")},
          {"jfje", Text(c, "amount")}};
}

int64_t PageValue(const Json& q, const char* key, int64_t fallback) {
  const std::string t = Text(q, key);
  if (t.empty()) return fallback;
  if (t.find_first_not_of("0123456789") != std::string::npos || t.size() > 9 || t == "0")
    throw OpRefusal(std::string("查询条件") + key + "[" + t + "]不是正整数。");
  return std::stoll(t);
}

}  // namespace

bool THnGrsbfjn::Op(const service::OpRow& row, std::string& message, const std::function<void()>& body) {
  ErrorMessage.clear();
  const bool ok = service::RunOp(row, message, body);
  ErrorMessage = message;
  return ok;
}

template <class R, class F>
R THnGrsbfjn::Pass(const char* op, R fallback, F&& call) {
  ErrorMessage.clear();
  return Guarded({kHnClass, op}, {}, &ErrorMessage, std::move(fallback), [&] {
    Ref<IHnGrsbfjnDAO> dao = Dao();
    R r = call(*dao);
    ErrorMessage = dao->GetErrorMessage();
    return r;
  });
}

bool THnGrsbfjn::Xd(const std::string& order, std::string& result, std::string& message) {
  result = "[]";
  return Op(kXd, message, [&] {
    const Json o = service::ParseParams(order);
    if (!o.contains("payDetail") || !o["payDetail"].is_array() || o["payDetail"].empty())
      throw OpRefusal("缴费明细为空。");
    taxml::RequestDocument doc(kXdType);
    service::AddJson(doc, o);
    const Json list = StoreDetails(onlinepay::ServerOrderCall("0189", Json::object(), &doc));
    if (list.empty()) throw OpRefusal("反馈报文异常：缺少detailList");
    Json out = Json::array();
    for (const Json& e : list) out.push_back(OrderRow(e));
    result = out.dump();
  });
}

bool THnGrsbfjn::ddztCx(const std::string& ddh, std::string& result, std::string& message) {
  result = "{}";
  return Op(kZt, message, [&] {
    if (ddh.empty()) throw OpRefusal("订单号为空。");
    const Json list = StoreDetails(onlinepay::ServerOrderCall("0190", Json{{"djxh", CurrentDjxh()}, {"ddh", ddh}}));
    for (const Json& e : list) {
      Json row = OrderRow(e);
      if (Text(row, "ddh") != ddh) continue;
      result = Json{{"ddh", ddh}, {"ddzt", row["ddzt"]}, {"ddzfsj", row["ddzfsj"]}, {"zfqd", row["zfqd"]}}.dump();
      return;
    }
    throw OpRefusal("反馈报文异常：缺少订单" + ddh);
  });
}

bool THnGrsbfjn::ddCx(const std::string& query, std::string& result, std::string& message) {
  result = "{}";
  return Op(kList, message, [&] {
    const Json q = service::ParseParams(query);
    Json answer = onlinepay::ServerOrderCall("0191", Json{{"djxh", CurrentDjxh()},
                                                           {"ddscrqq", Text(q, "ddscrqq")},
                                                           {"ddscrqz", Text(q, "ddscrqz")},
                                                           {"pageNumber", PageValue(q, "pageNumber", 1)},
                                                           {"pageSize", PageValue(q, "pageSize", 20)}});
    const Json list = StoreDetails(answer);
    Json orders = Json::array();
    for (const Json& e : list) orders.push_back(OrderRow(e));
    result = Json{{"total", Text(answer, "total")}, {"orders", orders}}.dump();
  });
}

std::string THnGrsbfjn::GetData(const std::string& filter, int32_t page, int32_t pageSize) {
  return Pass<std::string>("GetData", "[]",
                           [&](IHnGrsbfjnDAO& dao) { return dao.GetData(CurrentDjxh(), filter, page, pageSize); });
}

std::string THnGrsbfjn::GetMxData(const std::string& ddh) {
  return Pass<std::string>("GetMxData", "[]", [&](IHnGrsbfjnDAO& dao) { return dao.GetMxData(CurrentDjxh(), ddh); });
}

int32_t THnGrsbfjn::GetCount(const std::string& filter) {
  return Pass<int32_t>("GetCount", -1, [&](IHnGrsbfjnDAO& dao) { return dao.GetCount(CurrentDjxh(), filter); });
}

std::string THnGrsbfjn::GetDjfDataLb() {
  return Pass<std::string>("GetDjfDataLb", "[]", [&](IHnGrsbfjnDAO& dao) { return dao.GetDjfDataLb(CurrentDjxh()); });
}

namespace {
void RegisterHnGrsbfjn() { RegisterServiceClass(ServiceRowAt(kRowTHnGrsbfjn).iid, &ClassOf<THnGrsbfjn>::Instance()); }
void UnregisterHnGrsbfjn() { UnregisterServiceClass(ServiceRowAt(kRowTHnGrsbfjn).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(42, velmor::RegisterHnGrsbfjn, velmor::UnregisterHnGrsbfjn)
