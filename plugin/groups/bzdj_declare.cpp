// A declaration's life on the server: submission ("0215"), verdict ("0216"), deduction result
// ("0014", asynchronous) and void ("0054"). Each change of the local tables runs in one
// transaction, so a failure leaves the record and its lines as they were.
#include <cstdio>

#include "business/date_time.h"
#include "codec/taxml_exchange.h"
#include "framework/boundary.h"
#include "framework/host_access.h"
#include "framework/progress.h"
#include "groups/bzdj_ops.h"
#include "groups/bzdj_store.h"
#include "service/async_exchange.h"
#include "service/server_call.h"
#include "store/db_access.h"
#include "store/sql_toolkit.h"
#include "velmor/sys_param.h"
#include "codec/json_parse.h"

namespace velmor::groups {

namespace {

using service::Json;
using service::Text;

constexpr service::OpRow kDeclare{kClassName, "synCxjmjtbzsb", "0215", "", "SbfCxjmJtbzSbRequest"};
constexpr service::OpRow kVerdict{kClassName, "synCxjmjtbzsbjgCx", "0216", "", "SbfCxjmJtbzSbCxRequest"};
constexpr service::OpRow kDeduction{kClassName, "synKkjgCx", "0014", ""};
constexpr service::OpRow kVoid{kClassName, "synSbZf", "0054", "", "", "", service::AnswerKind::kJson};

// Declaration defaults: declared on line ("32"), regular matter ("11"), the residents' voucher kind.
constexpr const char* kSbfsDm = "32";
constexpr const char* kSbsxDm = "11";
constexpr const char* kYzpzzlDm = "BDA0610994";

std::string Money(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

// The system parameter "jtbzsb_lssj" is "1" once the payer has an accepted declaration of this
// kind in this database, so a host or the payment manager knows that there is group history to
// show without reading the records. Marking it must not undo a verdict already stored: a failure
// is logged only.
void MarkAcceptedHistory(const std::string& djxh) noexcept {
  constexpr const char* kKey = "jtbzsb_lssj";
  try {
    Ref<ISysParamIntf> params = CreatePluginService<ISysParamIntf>("创建平台组件接口[ISysParamIntf]失败！");
    params->SetDjxh(djxh);
    if (params->GetValue(kKey) == "1") return;
    if (!params->SetValue(kKey, "1")) LogFailure({kClassName, "synCxjmjtbzsbjgCx"}, "保存参数失败：jtbzsb_lssj");
  } catch (const std::exception& e) {
    LogFailure({kClassName, "synCxjmjtbzsbjgCx"}, e.what());
  }
}

// Runs a write of the store; its failure reads "保存数据异常：" + the store's text.
template <class F>
void SaveOrThrow(F&& write) {
  try {
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db);
    write(*db);
    tx.Commit();
  } catch (const StoreError& e) {
    throw taxml::Failure(kSaveFailed + e.UserText() + e.EngineText());
  }
}

Json RequireRecord(const std::string& djxh, int32_t id) {
  Ref<IDBMechanism> db = OpenMainConnection();
  Json record = RecordOf(*db, djxh, id);
  if (record.empty()) throw service::OpRefusal("未找到申报记录[" + std::to_string(id) + "]。");
  return record;
}

}  // namespace

bool BzDjOps::Declare(const std::string& params, IProgressView* progress, int32_t& id) {
  id = 0;
  return service::RunOp(kDeclare, error_, [&] {
    const Json p = service::ParseParams(params);
    const std::string djxh = Djxh(), jfrlx = Jfrlx();
    const std::string office = Text(p, "zgswjgDm"), agency = Text(p, "sbjbjgDm"), year = Text(p, "jfnd");
    if (office.empty() || agency.empty() || year.empty())
      throw service::OpRefusal("请指定主管税务机关、社保经办机构和缴费年度。");
    BzDjFilter qc;
    qc.sbjbjgdm = agency;
    qc.jfnd = year;
    Json lines;
    std::string xnhflbs;
    {
      Ref<IDBMechanism> db = OpenMainConnection();
      lines = NumberLines(Rows(*db, LinesSelect(djxh, qc, false)));
      Json marks = FirstColumn(*db, FormatSql("select xnhflbs from ds_jtbzhcbxxb where djxh = %s and upper(yxbz) = 'Y' "
                                              " and zgswjgDm = %s and xnhflbs <> '' and (xnhflbs is not null) ",
                                              {Q(djxh), Q(office)}));
      if (!marks.empty()) xnhflbs = marks[0].get<std::string>();
    }
    if (lines.empty()) throw service::OpRefusal("没有可申报的数据。");
    const std::string sbfsDm = Text(p, "sbfsDm").empty() ? kSbfsDm : Text(p, "sbfsDm");
    const std::string sbsxDm = Text(p, "sbsxDm").empty() ? kSbsxDm : Text(p, "sbsxDm");
    const std::string yzpzzlDm = Text(p, "yzpzzlDm").empty() ? kYzpzzlDm : Text(p, "yzpzzlDm");
    taxml::RequestDocument doc(kDeclare.requestType);
    doc.Add("djxh", djxh).Add("zgswjgDm", office).Add("xnhflbs", xnhflbs).Add("jfrlxDm", jfrlx);
    doc.Add("sbfsDm", sbfsDm).Add("sbsxDm", sbsxDm).Add("yzpzzlDm", yzpzzlDm).Add("bz", "");
    doc.Open("sbmxList");
    double total = 0;
    for (const Json& l : lines) {
      doc.Open("sbmxDTO")
          .Add("jfmxxh", Text(l, "jfmxxh"))
          .Add("sbjbjgDm", Text(l, "sbjbjgdm"))
          .Add("rybh", Text(l, "rybh"))
          .Add("xzlx", Text(l, "xzlxdm"))
          .Add("jfnd", Text(l, "jfnd"))
          .Add("yjfe", Text(l, "yjfe"))
          .Close();
      total += NumberOf(Text(l, "yjfe"));
    }
    doc.Close();
    service::OpCall call{djxh, Json::object(), progress, {}, &doc};
    Json answer = service::ExchangeAnyCode(kDeclare, call);
    if (Text(answer, "code") != "00000")
      throw taxml::Failure("【" + Text(answer, "code") + "】" + Text(answer, "message"));
    const std::string jylsh = Text(answer, "jylsh").empty() ? Text(answer, "yblsh") : Text(answer, "jylsh");
    Json record = {{"jylsh", jylsh},     {"djxh", djxh},   {"zgswjgDm", office},  {"xnhflbs", xnhflbs},
                   {"jfrlxDm", jfrlx},   {"sbfsDm", sbfsDm}, {"sbsxDm", sbsxDm}, {"yzpzzlDm", yzpzzlDm},
                   {"sbrq", Today()},    {"drsj", NowText()}, {"sbjbjgDm", agency}, {"jfnd", year},
                   {"jfrshj", std::to_string(lines.size())}, {"jfjehj", Money(total)}};
    SaveOrThrow([&](IDBMechanism& db) { id = SaveRecord(db, record, lines); });
  });
}

bool BzDjOps::Verdict(int32_t id, IProgressView* progress, std::string& sbzt) {
  sbzt.clear();
  return service::RunOp(kVerdict, error_, [&] {
    const std::string djxh = Djxh();
    const Json record = RequireRecord(djxh, id);
    if (Text(record, "jylsh").empty()) throw service::OpRefusal("该申报没有交易流水号，无法查询申报结果。");
    service::OpCall call{djxh, Json{{"jylsh", Text(record, "jylsh")}}, progress};
    Json answer;
    try {
      answer = service::ExchangeAnyCode(kVerdict, call);
    } catch (const taxml::Failure& e) {
      LogFailure({kClassName, "synCxjmjtbzsbjgCx.parseResp"}, e.what());
      throw;
    }
    if (Text(answer, "code") != "00000")
      throw taxml::Failure("【" + Text(answer, "code") + "】" + Text(answer, "message"));
    groups::Verdict v;
    v.code = Text(answer, "cljgDm");
    v.reason = Text(answer, "sbyy");
    // Without a result code the verdict is unknown: the record must not turn failed for it.
    if (v.code.empty()) throw taxml::Failure("反馈报文异常：缺少<cljgDm>节点。");
    if (v.code == "00000") {
      v.sbzt = kSbztAccepted;
      v.yjfehj = Text(answer, "yjfehj");
      v.yzpzxh = Text(answer, "yzpzxh");
      v.sbrq = Text(answer, "sbrq").substr(0, 10);
      if (v.yzpzxh.empty()) throw taxml::Failure("反馈报文异常：缺少应征凭证序号");
    } else if (v.code == "30015" || v.code == "10001") {
      v.sbzt = kSbztWaiting;
    } else {
      v.sbzt = kSbztFailed;
    }
    const Json rejected = answer.contains("cwxxList") ? answer["cwxxList"] : Json::array();
    SaveOrThrow([&](IDBMechanism& db) { ApplyVerdict(db, id, v, rejected); });
    if (v.code == "00000") MarkAcceptedHistory(djxh);
    sbzt = v.sbzt;
  });
}

bool BzDjOps::DeductionResult(const std::string& yzpzxh, IProgressView* progress, std::string& jkzt) {
  jkzt.clear();
  return service::RunOp(kDeduction, error_, [&] {
    if (yzpzxh.empty()) throw service::OpRefusal("应征凭证序号为空。");
    const std::string djxh = Djxh();
    taxml::Call call;
    call.serviceCode = kDeduction.code;
    call.djxh = false;
    call.keys["djxh"] = djxh;
    call.keys["yzpzxh"] = yzpzxh;
    std::string text;
    try {
      text = service::CallAsync(call, progress);
    } catch (const std::exception& e) {
      throw taxml::Failure(std::string("异步请求失败！") + e.what());
    }
    Json answer = ParseOutsideJson<Json>(text.empty() ? "null" : text, false);
    if (answer.is_discarded()) throw taxml::Failure("反馈报文异常：扣款结果不是JSON");
    if (!answer.is_object() || answer.empty()) throw service::OpRefusal("未查询到该凭证的扣款结果。");
    const double unpaid = NumberOf(Text(answer, "wjkje")), paid = NumberOf(Text(answer, "yjkje"));
    jkzt = unpaid == 0 && paid > 0 ? "3" : unpaid > 0 && paid > 0 ? "2" : "0";
    SaveOrThrow([&](IDBMechanism& db) {
      ExecOrThrow(db, FormatSql(" update ds_jtbzhsbjlb set jkzt = '%s' where yzpzxh = '%s' and djxh = '%s' ",
                                {V(jkzt), V(yzpzxh), V(djxh)}));
    });
  });
}

bool BzDjOps::Void(int32_t id, IProgressView* progress) {
  return service::RunOp(kVoid, error_, [&] {
    const std::string djxh = Djxh();
    const Json record = RequireRecord(djxh, id);
    if (Text(record, "yzpzxh").empty()) throw service::OpRefusal("该申报尚未受理，没有应征凭证序号，不能作废。");
    service::OpCall call{djxh, Json{{"djxh", ""}, {"yzpzxh", Text(record, "yzpzxh")}}, progress};
    Json answer = service::ExchangeAnyCode(kVoid, call);
    const std::string code = Text(answer, "code");
    // "30035": the server voided it already; the record follows.
    if (code != "00000" && code != "30035") throw taxml::Failure("【" + code + "】" + Text(answer, "message"));
    SaveOrThrow([&](IDBMechanism& db) {
      ExecOrThrow(db, FormatSql(" update ds_jtbzhsbjlb set sbzt = '%s' where id = %d ", {V(kSbztVoided), id}));
    });
  });
}

}  // namespace velmor::groups
