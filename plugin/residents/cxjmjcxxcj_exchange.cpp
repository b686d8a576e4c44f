// The server exchanges of the basic-information collection: one person per "0202" request with
// its answer recorded, the registration numbers "0203", and the rule service's lines open for
// registration (asked under "0208" through the host's network interface).
#include <optional>

#include "business/date_time.h"
#include "codec/taxml_response.h"
#include "framework/host_access.h"
#include "framework/progress.h"
#include "framework/busy_progress.h"
#include "residents/cxjmjcxxcj.h"
#include "service/server_call.h"
#include "store/sql.h"
#include "store/sql_toolkit.h"

namespace velmor {

namespace {

constexpr service::OpRow kSbdjxhCx{"TCxjmjcxxcjImpl", "synSbdjxhCx", "0203", "", "", "sbdjxhList"};
constexpr service::OpRow kJfdjxzfwCx{"TCxjmjcxxcjImpl", "synJfdjxzfwCx", kJfdjxzfwCode, "", "", "jfdjxzList",
                                     service::AnswerKind::kJson};

constexpr const char* kPersonFields[] = {"czlx",   "djxh",   "xm",     "sjgghdqDm", "zjlxDm", "zjhm",
                                         "xbDm",   "csrq",   "mzDm",   "cbdxzqhDm", "hjszd",  "czddz",
                                         "cbdJdxzDm", "cbdSqczDm", "yzbm", "lxrDzyj", "lxdh", "sjhm",
                                         "grsfDm", "grztDm", "ygxsDm", "hjlxDm",    "hjszdxzqhDm", "tzsj", "tzyyDm"};
constexpr const char* kLineFields[] = {"czlx",   "sbjbjgDm", "xzlxDm", "cbsf",   "ksjfny", "tzjfny",
                                       "jfje",   "jdxzDm",   "sqczDm", "bccbsj", "sccbsj"};

// The person and its lines recorded with the server's results, in one transaction.
void Record(TJfdjRecord& p, const std::vector<TJfdjRecord*>& lines) {
  Ref<IDBMechanism> db = OpenMainConnection();
  Transaction tx(*db);
  p.Set("tjsj", NowText());
  auto g = [&](const char* c) { return p.Get(c); };
  ExecOrThrow(*db, FormatSql(
      " insert into ds_cxjmjcxxcjryb(djxh, czlx, rydjxh, xm, sjgghdqDm, zjlxDm, zjhm, xbDm,  csrq, mzDm, cbdxzqhDm, "
      "hjszd, czddz, cbdJdxzDm, cbdSqczDm, yzbm, lxrDzyj, lxdh,  sjhm, grsfDm, grztDm, ygxsDm, hjlxDm, hjszdxzqhDm, "
      "tzsj, tzyyDm, tjsj, rycode, rymessage) values  ('%s', '%s', '%s', %s, '%s', '%s', %s, '%s',  '%s', '%s', '%s', "
      "%s, %s, '%s', '%s', %s, %s, %s,  %s, '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s') ",
      {V(g("djxh")), V(g("czlx")), V(g("rydjxh")), Q(g("xm")), V(g("sjgghdqDm")), V(g("zjlxDm")), Q(g("zjhm")),
       V(g("xbDm")), V(g("csrq")), V(g("mzDm")), V(g("cbdxzqhDm")), Q(g("hjszd")), Q(g("czddz")), V(g("cbdJdxzDm")),
       V(g("cbdSqczDm")), Q(g("yzbm")), Q(g("lxrDzyj")), Q(g("lxdh")), Q(g("sjhm")), V(g("grsfDm")), V(g("grztDm")),
       V(g("ygxsDm")), V(g("hjlxDm")), V(g("hjszdxzqhDm")), V(g("tzsj")), V(g("tzyyDm")), V(g("tjsj")),
       V(g("rycode")), V(g("rymessage"))}));
  const int64_t id = QueryCount(*db, " select max(id) as id from ds_cxjmjcxxcjryb ");
  for (TJfdjRecord* l : lines) {
    auto h = [&](const char* c) { return l->Get(c); };
    ExecOrThrow(*db, FormatSql(
        " insert into ds_cxjmjcxxcjxzb(zbid, czlx, sbjbjgDm, rybh, xzlxDm, cbsf, ksjfny, tzjfny,  jfje, jdxzDm, sqczDm, "
        "bccbsj, sccbsj, cbrytslbDm, xzcode, xzmessage) values  (%d, '%s', '%s', '%s', '%s', '%s', '%s', '%s',  '%s', "
        "'%s', '%s', '%s', '%s', '%s', '%s', '%s') ",
        {id, V(h("czlx")), V(h("sbjbjgDm")), V(h("rybh")), V(h("xzlxDm")), V(h("cbsf")), V(h("ksjfny")),
         V(h("tzjfny")), V(h("jfje")), V(h("jdxzDm")), V(h("sqczDm")), V(h("bccbsj")), V(h("sccbsj")),
         V(h("cbrytslbDm")), V(h("xzcode")), V(h("xzmessage"))}));
    l->Set("zbid", std::to_string(id));
  }
  tx.Commit();
  p.SetId(id);
}

// "yyyymmdd" (or "yyyy-mm...") as "yyyy-mm".
std::string Month(const std::string& date) {
  if (date.size() >= 7 && date[4] == '-') return date.substr(0, 7);
  if (date.size() >= 6) return date.substr(0, 4) + "-" + date.substr(4, 2);
  return date;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> TCxjmjcxxcjImpl::Sbdjxh(const std::vector<std::string>& list) {
  if (list.empty()) throw service::OpRefusal("人员登记序号列表为空。");
  service::OpCall call{CurrentDjxh(), service::Json{{"rydjxhList", list}}};
  service::Json answer = service::Exchange(kSbdjxhCx, call);
  std::vector<std::pair<std::string, std::string>> out;
  for (const auto& r : answer["sbdjxhList"]) out.emplace_back(service::Text(r, "rydjxh"), service::Text(r, "sbdjxh"));
  return out;
}

bool TCxjmjcxxcjImpl::synSbdjxhCx(const std::vector<std::string>& rydjxhList, std::string& json) {
  json = "[]";
  return Run("synSbdjxhCx", LogForm::kTrailing, false, [&] {
    RequireEnabled();
    service::Json rows = service::Json::array();
    for (const auto& [rydjxh, sbdjxh] : Sbdjxh(rydjxhList)) rows.push_back({{"rydjxh", rydjxh}, {"sbdjxh", sbdjxh}});
    json = rows.dump();
    return true;
  });
}

bool TCxjmjcxxcjImpl::synCxjmshbxfjfdj(IJfdjItem* person, IJfdjItems* lines, IProgressView* progress) {
  return Run("synCxjmshbxfjfdj", LogForm::kTrailing, false, [&] {
    BusyProgress shown(progress);
    RequireEnabled();
    TJfdjRecord& p = RequireRecord(person, kCxjmjcxxRyFamily);
    std::vector<TJfdjRecord*> xz;
    if (lines)
      for (int32_t i = 0; i < lines->GetCount(); ++i)
        xz.push_back(&RequireRecord(Query<IJfdjItem>(lines->GetItem(i)).get(), kCxjmjcxxXzFamily));
    p.Set("djxh", CurrentDjxh());
    taxml::RequestDocument doc("CxjmShbxfJfdjRequest");
    for (const char* f : kPersonFields) doc.Add(f, p.Get(f));
    doc.Open("cxjmjfDjxxReqList");
    for (TJfdjRecord* l : xz) {
      doc.Open("cxjmjfDjxzReqDTO");
      for (const char* f : kLineFields) doc.Add(f, l->Get(f));
      doc.Close();
    }
    doc.Close();
    taxml::Call call;
    call.serviceCode = "0202";
    call.document = &doc;
    call.progress = progress;
    call.progressValue = 50;
    taxml::Reply reply = taxml::Send(call);
    if (!reply.Succeeded() && !reply.Refused()) reply.RequireSuccess();  // no answer: nothing to record
    std::string failure;
    if (reply.Refused()) {
      p.Set("rycode", reply.RefusalCode());
      p.Set("rymessage", reply.error);
      failure = reply.error;
    } else {
      try {
        taxml::Response answer = taxml::Response::Read(reply);
        p.Set("rycode", answer.Code());
        p.Set("rymessage", answer.Message());
        if (answer.Succeeded()) {
          for (pugi::xml_node r : answer.List("cxjmjfDjxxRespList").children()) {
            if (r.type() != pugi::node_element) continue;
            for (TJfdjRecord* l : xz) {
              if (l->Get("sbjbjgDm") == r.child_value("sbjbjgDm") && l->Get("xzlxDm") == r.child_value("xzlxDm") &&
                  l->Get("jdxzDm") == r.child_value("jdxzDm") && l->Get("sqczDm") == r.child_value("sqczDm")) {
                l->Set("xzcode", r.child_value("code"));
                l->Set("xzmessage", r.child_value("message"));
              }
            }
          }
        } else {
          failure = answer.Message().empty() ? "【" + answer.Code() + "】" : answer.Message();
        }
      } catch (const std::exception& e) {
        // The server may have registered the person: it is recorded with the reason.
        LogFailure(LogForm::kTrailing, "TCxjmjcxxcjImpl.synCxjmshbxfjfdj.parseResp", e.what());
        failure = std::string("反馈报文异常：") + e.what();
        p.Set("rycode", "");
        p.Set("rymessage", failure);
      }
    }
    try {
      Record(p, xz);
    } catch (const std::exception& e) {
      LogFailure(LogForm::kTrailing, "TCxjmjcxxcjImpl.synCxjmshbxfjfdj.saveData", e.what());
      throw;
    }
    StepProgress(progress, 50);
    if (!failure.empty()) throw taxml::Failure(failure);
    return true;
  });
}

bool TCxjmjcxxcjImpl::synJfdjxzfwCx(IJfdjItem* person, IJfdjItems* lines, IProgressView* progress) {
  return Run("synJfdjxzfwCx", LogForm::kTrailing, false, [&] {
    BusyProgress shown(progress);
    RequireEnabled();
    TJfdjRecord& p = RequireRecord(person, kCxjmjcxxRyFamily);
    TJfdjRecords& out = RequireRecords(lines, kCxjmjcxxXzFamily);
    std::string sbdjxh;
    try {
      for (const auto& [rydjxh, number] : Sbdjxh({p.Get("rydjxh")}))
        if (rydjxh == p.Get("rydjxh")) sbdjxh = number;
    } catch (const std::exception& e) {
      throw taxml::Failure(std::string("查询城乡居民社保登记序号失败：") + e.what());
    }
    if (sbdjxh.empty()) throw taxml::Failure("城乡居民社保登记序号不存在。");
    const std::string djxh = CurrentDjxh();
    Ref<IDBMechanism> db = OpenMainConnection();
    const nlohmann::ordered_json units =
        Rows(*db, FormatSql(" select distinct swjgdm, sbjbjgdm, dwbh from sb_xnhcbjgxxb where djxh = '%s' and "
                            "upper(yxbz) = 'Y' order by sbjbjgdm, dwbh ",
                            {V(djxh)}));
    const std::string office = units.empty() ? std::string() : service::Text(units[0], "swjgdm");
    const std::string month = CurrentMonth();
    service::Json cbxx = service::Json::array();
    for (const auto& u : units)
      cbxx.push_back({{"sbdjxh", sbdjxh},
                      {"dwbh", service::Text(u, "dwbh")},
                      {"sbjbjgDm", service::Text(u, "sbjbjgdm")},
                      {"ksjfrq", month.substr(0, 4) + month.substr(5, 2) + "01"},
                      {"tzjfrq", "20991231"}});
    service::Json common{{"nsr", {{"dimType", "SWJG"}, {"swjgCode", office}}},
                         {"id", p.Get("rydjxh")},
                         {"djxh", djxh},
                         {"zgswjgDm", office},
                         {"jfrlxDm", "0"},
                         {"jfrdjlxDm", ""},
                         {"hylbDm", ""},
                         {"dwlxDm", ""}};
    for (const char* f : {"grsfDm", "ygxsDm", "grztDm", "hjlxDm", "xbDm", "csrq"}) common[f] = p.Get(f);
    common["djqd"] = "QTDJ";
    common["sfzjlxDm"] = p.Get("zjlxDm");
    common["sfzjhm"] = p.Get("zjhm");
    common["xm"] = p.Get("xm");
    common["ywczlx"] = p.Get("czlx");
    service::OpCall call{djxh, service::Json{{"commonValues", common}, {"privateValues", {{"cbxxList", cbxx}}}},
                         progress};
    service::Json answer = service::Exchange(kJfdjxzfwCx, call);
    out.Clear();
    for (const auto& r : answer["jfdjxzList"]) {
      // Open for registration: the rule says so (sfkdj "Y") and the person is not already
      // insured on the line (cbsf "1").
      if (service::Text(r, "sfkdj") != "Y" || service::Text(r, "cbsf") == "1") continue;
      Ref<IJfdjItem> x = NewJfdjRecord(kCxjmjcxxXzFamily);
      x->Set("xzId", service::Text(r, "grjfxzId"));
      x->Set("sbjbjgDm", service::Text(r, "sbjbjgDm"));
      x->Set("xzlxDm", service::Text(r, "xzlxDm"));
      x->Set("cbsf", service::Text(r, "cbsf"));
      x->Set("ksjfny", Month(service::Text(r, "ksjfrq")));
      x->Set("tzjfny", Month(service::Text(r, "tzjfrq")));
      auto categories = r.find("cbrytslbList");
      if (categories != r.end() && categories->is_array() && !categories->empty())
        x->Set("cbrytslbDm", service::Text((*categories)[0], "cbrytslbDm"));
      out.Add(x.get());
    }
    return true;
  });
}

}  // namespace velmor
