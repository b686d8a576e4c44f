// TRcsbMgr.BatGetJkzt: the payment state of many vouchers in one batch of "0014" requests, each
// carrying its voucher as a code/name item attached to the request.
#include <map>

#include "business/code_name_item.h"
#include "codec/taxml_exchange.h"
#include "framework/host_access.h"
#include "declaration/mgr_support.h"
#include "declaration/rcsb_mgr.h"
#include "codec/json_parse.h"

namespace velmor {

using namespace declaration;

namespace {

// Ends the batch however the operation leaves.
class BatchScope {
 public:
  BatchScope(INetCommIntf& net, int32_t handle) : net_(net), handle_(handle) {}
  ~BatchScope() { net_.EndBatch(handle_); }
  BatchScope(const BatchScope&) = delete;
  BatchScope& operator=(const BatchScope&) = delete;

 private:
  INetCommIntf& net_;
  int32_t handle_;
};

// Unpaid 0 and paid above 0: all paid (3); both above 0: partly paid (2); else nothing paid (0).
int32_t PaymentState(double wjkje, double yjkje) {
  if (yjkje > 0 && wjkje <= 0) return 3;
  if (yjkje > 0 && wjkje > 0) return 2;
  return 0;
}

}  // namespace

bool TRcsbMgr::BatGetJkzt(const std::string& vouchers, IProgressView* progress, int32_t progressShare,
                          std::string& states, std::string& error) {
  return Boundary("BatGetJkzt", "", true, error, ErrorMessage, [&] {
    Json list = ParseArray(vouchers, "应征凭证序号列表无效");
    if (list.empty()) throw Exception("应征凭证序号列表为空。");
    Ref<IRcsbDAO> dao = Dao();
    Ref<INetCommIntf> net = GetNetComm()->CreateConnection();
    if (!net) throw Exception("创建平台组件接口失败！");
    const std::string djxh = CurrentDjxh();
    const int32_t batch = net->BeginBatch();
    if (batch <= 0) throw Exception("参保信息异步请求失败！" + net->GetLastErrorText());
    BatchScope scope(*net, batch);
    for (const Json& v : list) {
      const std::string yzpzxh = v.is_string() ? v.get<std::string>() : v.dump();
      taxml::Call call;
      call.serviceCode = "0014";
      call.djxh = false;
      call.keys["djxh"] = djxh;
      call.keys["yzpzxh"] = yzpzxh;
      const std::string yblsh = NewSerialNo();
      Ref<IRequest> request = net->CreateRequest();
      request->SetServiceCode(call.serviceCode);
      request->SetSerialNo(yblsh);
      request->SetBody(taxml::BodyText(call, yblsh, djxh));
      Ref<TCode_Name_Item> item = New<TCode_Name_Item>(yzpzxh, "");
      request->SetTag(static_cast<ICode_Name_Item*>(item.get()));
      if (!net->AddToBatch(batch, request.get())) throw Exception("参保信息异步请求失败！" + net->GetLastErrorText());
    }
    const int32_t step = progressShare / static_cast<int32_t>(list.size());
    std::map<std::string, int32_t> answered;
    Ref<IRequest> done;
    bool more = true;
    while (more && net->NextBatchResult(batch, done, 0, more)) {
      if (!done) continue;
      if (done->GetReturnCode() != "SUCCESS") {
        // A request that never got an answer has no return message; its own error says why.
        std::string why = done->GetReturnMessage();
        if (why.empty()) why = done->GetErrorText();
        throw Exception(why.empty() ? "扣款结果查询失败" : why);
      }
      Ref<ICode_Name_Item> item = Query<ICode_Name_Item>(done->GetTag());
      if (!item) throw Exception("扣款结果缺少应征凭证序号");
      const std::string data = done->GetResponseData();
      Advance(progress, step);
      if (!data.empty() && data != "null") continue;  // not a deduction result
      Json answer = ParseOutsideJson<Json>(done->GetResponse(), false);
      if (!answer.is_object() || answer.empty()) throw Exception("扣款结果对象为空");
      const int32_t jkzt = PaymentState(Amount(answer, "wjkje"), Amount(answer, "yjkje"));
      Check(*dao, dao->UpdateJkzt(djxh, item->GetCode(), jkzt));
      answered[item->GetCode()] = jkzt;
    }
    // In the order asked, whatever order the batch finished in.
    Json result = Json::object();
    for (const Json& v : list) {
      const std::string yzpzxh = v.is_string() ? v.get<std::string>() : v.dump();
      if (auto it = answered.find(yzpzxh); it != answered.end()) result[yzpzxh] = it->second;
    }
    states = result.dump();
  });
}

}  // namespace velmor
