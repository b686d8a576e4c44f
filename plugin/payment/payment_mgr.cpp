// TPaymentMgr: its boundary, the JSON exchange every server operation uses, the store
// pass-throughs and its registration.
#include "codec/json_parse.h"
#include "payment/payment_mgr.h"

#include "framework/boundary.h"
#include "framework/host_access.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "service/taxml_json.h"

namespace velmor {

using Json = nlohmann::ordered_json;

namespace payment {

void Advance(IProgressView* progress, double fraction) {
  if (!progress) return;
  progress->SetPosition(progress->GetPosition() + SpanOf(progress, fraction));
}

int32_t SpanOf(IProgressView* progress, double fraction) {
  return progress ? static_cast<int32_t>(progress->GetMaximum() * fraction) : 0;
}

taxml::Reply SendJson(const char* code, const Json& keys, IProgressView* progress, double sendFraction,
                      std::vector<std::pair<std::string, std::string>> written) {
  taxml::Call call;
  call.serviceCode = code;
  call.keys = keys;
  call.writtenKeys = std::move(written);
  call.djxh = false;
  call.progress = progress;
  call.progressValue = SpanOf(progress, sendFraction);
  return taxml::Send(call);
}

Json AnswerOf(const taxml::Reply& reply, const char* unreadable) {
  const std::string text = reply.request ? reply.request->GetResponse() : std::string();
  if (text.empty() || text == "null") return Json::object();
  Json answer = ParseOutsideJson<Json>(text, false);
  if (!answer.is_object()) throw service::OpRefusal(unreadable);
  return answer;
}

}  // namespace payment

Ref<IPaymentDAO> TPaymentMgr::Store() {
  return CreatePluginService<IPaymentDAO>("创建平台组件接口[IPaymentDAO]失败！");
}

template <class F>
bool TPaymentMgr::Pass(F&& call) {
  ErrorMessage.clear();
  Ref<IPaymentDAO> store;
  try {
    store = Store();
  } catch (const std::exception& e) {
    ErrorMessage = e.what();
    return false;
  }
  if (call(*store)) return true;
  ErrorMessage = store->GetErrorMessage();
  return false;
}

bool TPaymentMgr::GetCount(const std::string& condition, int32_t jkfs1, int32_t jkfs2, int32_t& count) {
  return Pass([&](IPaymentDAO& s) { return s.GetCount(condition, jkfs1, jkfs2, count); });
}
bool TPaymentMgr::GetData(const std::string& condition, int32_t jkfs1, int32_t jkfs2, int32_t page, int32_t pageSize,
                          std::string& rows) {
  return Pass([&](IPaymentDAO& s) { return s.GetData(condition, jkfs1, jkfs2, page, pageSize, rows); });
}
bool TPaymentMgr::GetPrintCount(const std::string& condition, int32_t jkfs, int32_t& count) {
  return Pass([&](IPaymentDAO& s) { return s.GetPrintCount(condition, jkfs, count); });
}
bool TPaymentMgr::GetPrintData(const std::string& condition, int32_t jkfs, int32_t page, int32_t pageSize,
                               std::string& rows) {
  return Pass([&](IPaymentDAO& s) { return s.GetPrintData(condition, jkfs, page, pageSize, rows); });
}
bool TPaymentMgr::GetDataByDzsphm(const std::string& djxh, const std::string& dzsphm, std::string& rows) {
  return Pass([&](IPaymentDAO& s) { return s.GetDataByDzsphm(djxh, dzsphm, rows); });
}
bool TPaymentMgr::GetWjkYhjkpzLb(const std::string& djxh, int32_t jkfs, int32_t jkzt1, int32_t jkzt2, int32_t jkzt3,
                                 int32_t dyzt, std::string& list) {
  return Pass([&](IPaymentDAO& s) { return s.GetWjkYhjkpzLb(djxh, jkfs, jkzt1, jkzt2, jkzt3, dyzt, list); });
}
bool TPaymentMgr::GetCsjkxx(const std::string& djxh, int32_t jfrlx, std::string& groups) {
  return Pass([&](IPaymentDAO& s) { return s.GetCsjkxx(djxh, jfrlx, groups); });
}
bool TPaymentMgr::GetWdySfxyjkJl(const std::string& djxh, const std::string& fkssqq, const std::string& fkssqz,
                                 int32_t jkfs, int32_t jkzt, std::string& rows) {
  return Pass([&](IPaymentDAO& s) { return s.GetWdySfxyjkJl(djxh, fkssqq, fkssqz, jkfs, jkzt, rows); });
}
bool TPaymentMgr::GetMaxDzjfpzNo(const std::string& djxh, std::string& maxNo) {
  return Pass([&](IPaymentDAO& s) { return s.GetMaxDzjfpzNo(djxh, maxNo); });
}
bool TPaymentMgr::SaveDzjfpz(const std::string& record) {
  return Pass([&](IPaymentDAO& s) { return s.SaveDzjfpz(record); });
}
bool TPaymentMgr::UpdateDzjfpzDy(int32_t id) {
  return Pass([&](IPaymentDAO& s) { return s.UpdateDzjfpzDy(id); });
}
bool TPaymentMgr::GetDzjfpzJlCount(const std::string& condition, int32_t& count) {
  return Pass([&](IPaymentDAO& s) { return s.GetDzjfpzJlCount(condition, count); });
}
bool TPaymentMgr::GetDzjfpzJlData(const std::string& condition, int32_t page, int32_t pageSize, std::string& rows) {
  return Pass([&](IPaymentDAO& s) { return s.GetDzjfpzJlData(condition, page, pageSize, rows); });
}
bool TPaymentMgr::GetDzjfpzMxData(int32_t id, std::string& rows) {
  return Pass([&](IPaymentDAO& s) { return s.GetDzjfpzMxData(id, rows); });
}
bool TPaymentMgr::UpdateJkzt(const std::string& vouchers, int32_t jkzt) {
  Json list;
  try {
    list = ParseOutsideJson<Json>(vouchers, false);
  } catch (const std::exception& e) {
    ErrorMessage = e.what();
    return false;
  }
  if (!list.is_array()) {
    ErrorMessage = "缴款凭证列表不是JSON数组。";
    return false;
  }
  return Pass([&](IPaymentDAO& s) {
    for (const Json& v : list)
      if (!s.UpdateJkzt(service::Text(v, "djxh"), service::Text(v, "dzsphm"), service::Text(v, "zsjgDm"), jkzt))
        return false;
    return true;
  });
}
bool TPaymentMgr::UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, const std::string& zsxmDm,
                             const std::string& zspmDm, const std::string& zszmDm, int32_t jkzt,
                             const std::string& sbyy) {
  return Pass([&](IPaymentDAO& s) { return s.UpdateJkzt(djxh, yzpzxh, zsxmDm, zspmDm, zszmDm, jkzt, sbyy); });
}
bool TPaymentMgr::GetZspmdmList(const std::string& djxh, int32_t jkfs, const std::string& jkztList, int32_t jfrlx,
                                std::string& list) {
  return Pass([&](IPaymentDAO& s) { return s.GetZspmdmList(djxh, jkfs, jkztList, jfrlx, list); });
}
bool TPaymentMgr::SaveJfmxList(const std::string& lines, const std::string& djxh, const std::string& skssqq,
                               const std::string& skssqz, const std::string& jkrqq, const std::string& jkrqz) {
  return Pass([&](IPaymentDAO& s) { return s.SaveJfmxList(lines, djxh, skssqq, skssqz, jkrqq, jkrqz); });
}
bool TPaymentMgr::GetZs10305CxList(int32_t jkfs, const std::string& jkztList, int32_t dyzt, std::string& list) {
  return Pass([&](IPaymentDAO& s) { return s.GetZs10305CxList(jkfs, jkztList, dyzt, list); });
}
bool TPaymentMgr::UpdateJkztBy10305(const std::string& dzsphm, int32_t jkzt, const std::string& sbyy) {
  return Pass([&](IPaymentDAO& s) { return s.UpdateJkztBy10305(dzsphm, jkzt, sbyy); });
}

namespace {
void RegisterPaymentMgr() {
  RegisterServiceClass(ServiceRowAt(kRowTPaymentMgr).iid, &ClassOf<TPaymentMgr>::Instance());
}
void UnregisterPaymentMgr() { UnregisterServiceClass(ServiceRowAt(kRowTPaymentMgr).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(10, velmor::RegisterPaymentMgr, velmor::UnregisterPaymentMgr)
