#include "receipts/shbxfjfmxzm.h"

#include "codec/md5.h"
#include "codec/taxml_exchange.h"
#include "framework/boundary.h"
#include "framework/host_access.h"
#include "framework/log.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "receipts/shbxfjfmx_items.h"

namespace velmor {

namespace {

using service::Json;
using service::Text;

constexpr const char* kClass = "TShbxfjfmxzm";
constexpr service::OpRow kJfqdCx{kClass, "synSbfzrrjfqdCx", "0174", "", "SbfCyhShbxfZrrjfqdCxRequest", "sbfjfqdList"};
constexpr service::OpRow kDyqq{kClass, "synShbxfjfmxdyqq", "0175", "", "SbfCyhShbxfJfzmDyRequest", "sbfCyhsbfjfmxList"};
constexpr service::OpRow kZmCx{kClass, "synShbxfjfmxzmCx", "0176", "", "SbfCyhShbxfJfzmCxRequest", "sbfCyhsbfZmList"};
constexpr service::OpRow kZmZf{kClass, "synShbxfjfmxzmzf", "0177", "", "SbfCyhShbxfJfzmZfRequest"};
constexpr service::OpRow kZmCy{kClass, "synShbxfjfmxzmcy", "0178", "", "SbfCyhShbxfJfzmCyRequest", "cymxList"};

// The fields of a payment line's identity, in order.
constexpr const char* kIdentityFields[] = {"yzpzxh", "dzsphm", "zsswjgDm", "sbjbjgDm", "rybh",
                                           "zsxmDm", "zspmDm", "zszmDm",   "fkssqq",   "fkssqz"};
// The request keys of a chosen line, in the document's order.
constexpr const char* kChosenFields[] = {"yzpzxh", "dzsphm", "sbjbjgDm", "rybh",   "zsswjgDm",
                                         "zsxmDm", "zspmDm", "zszmDm",   "fkssqq", "fkssqz"};

std::string Identity(IBusinessObject& line) {
  std::string joined;
  for (const char* f : kIdentityFields) {
    if (!joined.empty() || f != kIdentityFields[0]) joined += "!@#";
    joined += line.HasProperty(f) ? line.GetPropTextByName(f) : std::string();
  }
  return Md5Hex(joined);
}

// Copies the scalar members of an answer object into the record's properties of the same name;
// the member `list` (when named) fills the record's lines with records made by `line`.
template <class Line>
void Fill(TShbxfjfmxRecord& record, const Json& object, const char* list = nullptr) {
  for (auto it = object.begin(); it != object.end(); ++it) {
    if (it->is_array() || it->is_object()) continue;
    if (record.HasProperty(it.key())) record.SetPropTextByName(it.key(), Text(object, it.key().c_str()));
  }
  if (!list) return;
  auto rows = object.find(list);
  if (rows == object.end() || !rows->is_array()) return;
  Ref<IItems> mx = record.GetMxList();
  for (const Json& row : *rows) {
    Ref<Line> l = New<Line>();
    Fill<Line>(*l, row);
    mx->Add(static_cast<IShbxfjfmxRecord*>(l.get()));
  }
}

}  // namespace

bool TShbxfjfmxzm::Run(const service::OpRow& row, const service::OpCall& call, IProgressView* progress,
                       IErrorInfo* error, const std::function<void(const Json& answer)>& read) {
  const std::string name = std::string(kClass) + "." + row.name;
  LogScope scope(name);
  if (error) error->ClearError();
  if (progress) progress->StartProgress("正在处理，请稍等", 100, "进度");
  std::string message;
  const bool ok = service::RunOp(row, message, [&] {
    Json answer;
    try {
      answer = service::ExchangeAnyCode(row, call);
    } catch (const taxml::Failure& e) {
      // An answer that does not decode: logged under the operation's parseResp.
      if (std::string_view(e.what()).rfind("反馈报文异常：", 0) == 0) LogFailure({kClass, std::string(row.name) + ".parseResp"}, e.what());
      throw;
    }
    const std::string code = Text(answer, "code");
    if (code != "00000") throw taxml::Failure("【" + code + "】" + Text(answer, "message"));
    if (*row.list && !answer.contains(row.list))
      throw taxml::Failure(std::string("反馈报文缺少<") + row.list + ">节点。");
    read(answer);
  });
  if (progress) progress->EndProgress();
  if (!ok && error) error->SetError(-1, message);
  return ok;
}

bool TShbxfjfmxzm::synSbfzrrjfqdCx(const std::string& djxh, IProgressView* progress, Ref<IItems>& lines,
                                   IErrorInfo* error) {
  lines = NewSbfjfqdItems();
  Json params = {{"djxh", djxh}, {"fkssqq", ""}, {"fkssqz", ""}};
  return Run(kJfqdCx, {djxh, params}, progress, error, [&](const Json& answer) {
    for (const Json& row : answer[kJfqdCx.list]) {
      Ref<TSbfjfqdItem> l = New<TSbfjfqdItem>();
      Fill<TSbfjfqdItem>(*l, row);
      l->id = Identity(static_cast<IShbxfjfmxRecord&>(*l));
      lines->Add(static_cast<IShbxfjfmxRecord*>(l.get()));
    }
  });
}

bool TShbxfjfmxzm::synShbxfjfmxdyqq(const std::string& djxh, IItems* chosen, IProgressView* progress,
                                    Ref<IShbxfjfmxRecord>& certificate, IErrorInfo* error) {
  certificate = nullptr;
  Json rows = Json::array();
  for (int32_t i = 0; chosen && i < chosen->GetCount(); ++i) {
    Ref<IBusinessObject> line = Query<IBusinessObject>(chosen->GetItem(i));
    if (!line) continue;
    Json r = Json::object();
    for (const char* f : kChosenFields) r[f] = line->HasProperty(f) ? line->GetPropTextByName(f) : std::string();
    rows.push_back(std::move(r));
  }
  if (rows.empty()) {
    if (error) error->SetError(-1, "请选择要开具证明的缴费记录。");
    return false;
  }
  Json params = {{"djxh", djxh}, {"tpr", ""}, {"sbfCyhsbfjfmxList", rows}};
  return Run(kDyqq, {djxh, params}, progress, error, [&](const Json& answer) {
    Ref<TShbxfjfmxdyItem> c = New<TShbxfjfmxdyItem>();
    Fill<TShbxfjfmxdymxItem>(*c, answer, kDyqq.list);
    certificate = Ref<IShbxfjfmxRecord>(static_cast<IShbxfjfmxRecord*>(c.get()));
  });
}

bool TShbxfjfmxzm::synShbxfjfmxzmCx(const std::string& djxh, const std::string& pzhm, IProgressView* progress,
                                    Ref<IItems>& certificates, IErrorInfo* error) {
  certificates = NewShbxfjfmxzmItems();
  Json params = {{"djxh", djxh}, {"pzhm", pzhm}};
  return Run(kZmCx, {djxh, params}, progress, error, [&](const Json& answer) {
    for (const Json& row : answer[kZmCx.list]) {
      Ref<TShbxfjfmxzmItem> c = New<TShbxfjfmxzmItem>();
      Fill<TShbxfjfmxzmmxItem>(*c, row, "sbfCyhsbfjfmxList");
      certificates->Add(static_cast<IShbxfjfmxRecord*>(c.get()));
    }
  });
}

bool TShbxfjfmxzm::synShbxfjfmxzmzf(const std::string& djxh, const std::string& pzhm, IProgressView* progress,
                                    IErrorInfo* error) {
  Json params = {{"djxh", djxh}, {"pzhm", pzhm}};
  return Run(kZmZf, {djxh, params}, progress, error, [](const Json&) {});
}

bool TShbxfjfmxzm::synShbxfjfmxzmcy(const std::string& pzhm, const std::string& nsrsbh, const std::string& nsrmc,
                                    IProgressView* progress, Ref<IShbxfjfmxRecord>& result, IErrorInfo* error) {
  result = nullptr;
  Json params = {{"pzhm", pzhm}, {"nsrsbh", nsrsbh}, {"nsrmc", nsrmc}};
  service::OpCall call{CurrentDjxh(), params};
  return Run(kZmCy, call, progress, error, [&](const Json& answer) {
    Ref<TShbxfjfmxzmcyItem> r = New<TShbxfjfmxzmcyItem>();
    Fill<TShbxfjfmxzmcymxItem>(*r, answer, kZmCy.list);
    result = Ref<IShbxfjfmxRecord>(static_cast<IShbxfjfmxRecord*>(r.get()));
  });
}

namespace {
template <class T>
Ref<IShbxfjfmxRecord> NewRecord() {
  Ref<T> r = New<T>();
  return Ref<IShbxfjfmxRecord>(static_cast<IShbxfjfmxRecord*>(r.get()));
}
template <class T>
Ref<IItems> NewList() {
  Ref<T> l = Make<T>();
  return Ref<IItems>(static_cast<IItems*>(l.get()));
}
}  // namespace

Ref<IShbxfjfmxRecord> TShbxfjfmxzm::NewSbfjfqdItem() { return NewRecord<TSbfjfqdItem>(); }
Ref<IItems> TShbxfjfmxzm::NewSbfjfqdItems() { return NewList<TSbfjfqdItems>(); }
Ref<IShbxfjfmxRecord> TShbxfjfmxzm::NewShbxfjfmxdyItem() { return NewRecord<TShbxfjfmxdyItem>(); }
Ref<IShbxfjfmxRecord> TShbxfjfmxzm::NewShbxfjfmxdymxItem() { return NewRecord<TShbxfjfmxdymxItem>(); }
Ref<IItems> TShbxfjfmxzm::NewShbxfjfmxdymxItems() { return NewList<TShbxfjfmxdymxItems>(); }
Ref<IShbxfjfmxRecord> TShbxfjfmxzm::NewShbxfjfmxzmItem() { return NewRecord<TShbxfjfmxzmItem>(); }
Ref<IItems> TShbxfjfmxzm::NewShbxfjfmxzmItems() { return NewList<TShbxfjfmxzmItems>(); }
Ref<IShbxfjfmxRecord> TShbxfjfmxzm::NewShbxfjfmxzmmxItem() { return NewRecord<TShbxfjfmxzmmxItem>(); }
Ref<IItems> TShbxfjfmxzm::NewShbxfjfmxzmmxItems() { return NewList<TShbxfjfmxzmmxItems>(); }
Ref<IShbxfjfmxRecord> TShbxfjfmxzm::NewShbxfjfmxzmcyItem() { return NewRecord<TShbxfjfmxzmcyItem>(); }
Ref<IShbxfjfmxRecord> TShbxfjfmxzm::NewShbxfjfmxzmcymxItem() { return NewRecord<TShbxfjfmxzmcymxItem>(); }
Ref<IItems> TShbxfjfmxzm::NewShbxfjfmxzmcymxItems() { return NewList<TShbxfjfmxzmcymxItems>(); }

std::string TShbxfjfmxzm::GetJfztMc(const std::string& jfzt) {
  return jfzt == "0" ? "正常" : jfzt == "1" ? "已退费" : jfzt == "2" ? "部分退费" : "";
}
std::string TShbxfjfmxzm::GetPzztMc(const std::string& pzztDm) {
  return pzztDm == "0" ? "正常" : pzztDm == "1" ? "已作废" : "";
}
std::string TShbxfjfmxzm::GetKjztMc(const std::string& pzhm) { return pzhm.empty() ? "未开具" : "已开具"; }
std::string TShbxfjfmxzm::GetJfqdId(IBusinessObject* line) {
  return Guarded({kClass, "GetJfqdId"}, {}, nullptr, std::string(), [&] { return line ? Identity(*line) : std::string(); });
}

namespace {
void RegisterShbxfjfmxzm() {
  RegisterServiceClass(ServiceRowAt(kRowTShbxfjfmxzm).iid, &ClassOf<TShbxfjfmxzm>::Instance());
}
void UnregisterShbxfjfmxzm() { UnregisterServiceClass(ServiceRowAt(kRowTShbxfjfmxzm).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(39, velmor::RegisterShbxfjfmxzm, velmor::UnregisterShbxfjfmxzm)
