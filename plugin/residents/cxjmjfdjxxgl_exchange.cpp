// The server exchanges of the residents' payment registration: the scheme-account download
// ("0160"), the submission of the pending list ("0162", one request per tax office) and the
// verdict of a submission ("0163").
#include <algorithm>
#include <map>
#include <mutex>
#include <optional>

#include "business/date_time.h"
#include "codec/taxml_response.h"
#include "framework/host_access.h"
#include "framework/progress.h"
#include "residents/cxjmjfdjxxgl.h"
#include "residents/jfdj_store.h"
#include "store/sql_toolkit.h"
#include "velmor/xnh_dao.h"

namespace velmor {

namespace {

constexpr const char* kStillProcessing = "10001";
constexpr const char* kBusyRefusal = "10042";

std::string Child(pugi::xml_node n, const char* name) { return n.child_value(name); }

// Groups the server accepted but the store could not record, by payer, office and persons: a
// second submitData records them under the kept serial instead of sending them again. Lives
// as long as the module.
struct AcceptedGroup {
  std::string yblsh, tjsj;
};
std::mutex gAcceptedMutex;
std::map<std::string, AcceptedGroup> gAccepted;

std::string GroupKey(const std::string& djxh, const std::string& office, const std::vector<jfdj::SentPerson>& persons) {
  std::string key = djxh + '\x1f' + office;
  for (const auto& p : persons) key += '\x1f' + service::Text(p.person, "id");
  return key;
}

std::string Amount(const std::string& text) {
  double v = 0;
  try {
    v = text.empty() ? 0 : std::stod(text);
  } catch (const std::exception&) {
    throw service::OpRefusal("缴费标准不是数字：" + text);
  }
  return std::to_string(v);  // "%f"
}

// The request document of one office's group: the head, then each person with its lines
// (lines with czlx "0", unchanged, are left out).
taxml::RequestDocument GroupDocument(const std::string& djxh, const std::string& office,
                                     const std::vector<jfdj::SentPerson>& persons) {
  taxml::RequestDocument doc("SbfXnhGrSbfJfdjsqRequest");
  doc.Open("sbfXnhGrjfdjHead").Add("djxh", djxh).Add("zgswjgDm", office).Close();
  doc.Open("sbfXnhGrDetailList");
  for (const jfdj::SentPerson& sp : persons) {
    const auto& p = sp.person;
    doc.Open("sbfXnhGrDTO");
    for (const char* f : {"czlx", "jcrq", "jcyyDm"}) doc.Add(f, service::Text(p, f));
    doc.Add("djxh", djxh);
    for (const char* f : {"xm", "sjgghdqDm", "zjlxDm", "zjhm", "xbDm", "csrq", "hjxzDm", "hjszdXzqhDm", "hjszd",
                          "czddz", "czdJdxzDm", "czdSqczDm", "yzbm", "lxrDzyj", "lxdh", "sjhm", "grsfDm", "tsrylbDm"})
      doc.Add(f, service::Text(p, f));
    doc.Open("grxzDetailList");
    for (const auto& l : sp.lines) {
      doc.Open("sbfGrXzDTO");
      for (const char* f : {"czlx", "xzId", "xzlxDm", "jfdXzqhDm", "zzbh", "cbrytslbDm", "jfdJdxzDm", "jfdSqczDm",
                            "ksjfyf", "jcrq"})
        doc.Add(f, service::Text(l, f));
      doc.Add("jfbz", Amount(service::Text(l, "jfbz")));
      doc.Close();
    }
    doc.Close().Close();
  }
  doc.Close();
  return doc;
}

}  // namespace

std::vector<XnhJbxx> ParseJfdjAccount(pugi::xml_node list) {
  std::vector<XnhJbxx> offices;
  for (pugi::xml_node o : list.children()) {
    if (o.type() != pugi::node_element || Child(o, "jfrztDm") == "07") continue;
    XnhJbxx j;
    j.swjgdm = Child(o, "zgswjgDm");
    j.jfrztdm = Child(o, "jfrztDm");
    j.zgswksDm = Child(o, "zgswksDm");
    for (pugi::xml_node e : o.child("cxjmxnhJfDjxxList").children()) {
      if (e.type() != pugi::node_element) continue;
      const std::string agency = Child(e, "sbjbjgDm"), unit = Child(e, "zzbh");
      XnhCbjg* u = nullptr;
      for (XnhCbjg& c : j.units)
        if (c.sbjbjgdm == agency && c.dwbh == unit) u = &c;
      if (!u) {
        XnhCbjg c;
        c.yxbz = "Y";
        c.sbjbjgdm = agency;
        c.dwbh = unit;
        c.xzqhdm = Child(e, "dsXzqhDm");
        c.lxrxm = Child(e, "lxr2");
        c.lxdh = Child(e, "lxdh");
        c.djzclxdm = Child(e, "jfrdjlxDm");
        c.sshydlDm = Child(e, "sshydlDm");
        c.lxdzyx = Child(e, "lxdzyx");
        c.jdxzDm = Child(e, "jdxzDm");
        j.units.push_back(std::move(c));
        u = &j.units.back();
      }
      XnhCbxm m;
      m.xzlxDm = Child(e, "xzlxDm");
      m.zsxmdm = Child(e, "zsxmDm");
      m.zspmdm = Child(e, "zspmDm");
      m.zszmdm = Child(e, "zszmDm");
      m.xzjddm = Child(e, "dsJdszDm");
      const std::string community = Child(e, "dsSqczDm");
      m.sqhczdm = community == "null" ? std::string() : community;
      m.dsXzqhDm = Child(e, "dsXzqhDm");
      u->items.push_back(std::move(m));
    }
    offices.push_back(std::move(j));
  }
  return offices;
}

bool TCxjmjfdjxxgl::synCxjmxnhshbxfjfdjxxCx(IProgressView* progress) {
  return Run("synCxjmxnhshbxfjfdjxxCx", LogForm::kTrailing, false, [&] {
    const std::string djxh = CurrentDjxh();
    taxml::RequestDocument doc("CxjmXnhShbxfJfDjxxCxRequest");
    doc.Add("djxh", djxh);
    taxml::Call call;
    call.serviceCode = "0160";
    call.document = &doc;
    call.progress = progress;
    call.progressValue = 50;
    taxml::Reply reply = taxml::Send(call);
    reply.RequireSuccess();
    std::vector<XnhJbxx> offices;
    try {
      taxml::Response answer = taxml::Response::Read(reply);
      if (!answer.Succeeded()) throw taxml::Failure("反馈报文异常：" + answer.Message());
      pugi::xml_node list = answer.List("cxjmXnhJbxxList");
      if (!list) throw taxml::Failure("反馈报文异常：反馈报文缺少<cxjmXnhJbxxList>节点");
      offices = ParseJfdjAccount(list);
    } catch (const taxml::Failure&) {
      throw;
    } catch (const std::exception& e) {
      LogFailure(LogForm::kTrailing, "TCxjmjfdjxxgl.synCxjmxnhshbxfjfdjxxCx.parseResp", e.what());
      throw taxml::Failure(std::string("反馈报文异常：") + e.what());
    }
    Ref<IXnhDAO> dao = CreatePluginService<IXnhDAO>("创建平台组件接口[IXnhDAO]失败！");
    std::string message;
    if (!dao->SaveXnhDjxxFrom(djxh, offices, XnhSource::kRegistration, message)) {
      LogFailure(LogForm::kTrailing, "TCxjmjfdjxxgl.synCxjmxnhshbxfjfdjxxCx.saveData", message);
      throw taxml::Failure(message);
    }
    StepProgress(progress, 50);
    return true;
  });
}

bool TCxjmjfdjxxgl::submitData(IJfdjItems* persons, IProgressView* progress) {
  std::vector<std::string> failures;
  bool anyNotSaved = false;
  bool ok = Run("submitData", LogForm::kTrailing, false, [&] {
    const std::string djxh = CurrentDjxh();
    Ref<IDBMechanism> db = OpenMainConnection();
    // The pending persons as stored (only the payer's), grouped by office in the order given.
    std::vector<std::pair<std::string, std::vector<jfdj::SentPerson>>> groups;
    if (!persons || persons->GetCount() == 0) throw service::OpRefusal("没有需要提交的人员。");
    for (int32_t i = 0; i < persons->GetCount(); ++i) {
      Ref<IJfdjItem> item = Query<IJfdjItem>(persons->GetItem(i));
      TJfdjRecord& r = RequireRecord(item.get(), kJfdjRyFamily);
      jfdj::Row row = jfdj::PendingPerson(*db, djxh, r.GetId());
      if (row.empty()) throw service::OpRefusal("待提交人员[" + r.Get("xm") + "]不存在。");
      jfdj::SentPerson sp{row, {}};
      for (auto& l : jfdj::PendingLines(*db, r.GetId()))
        if (service::Text(l, "czlx") != "0") sp.lines.push_back(std::move(l));
      const std::string office = service::Text(row, "swjgDm");
      auto g = std::find_if(groups.begin(), groups.end(), [&](const auto& e) { return e.first == office; });
      if (g == groups.end()) groups.push_back({office, {std::move(sp)}});
      else g->second.push_back(std::move(sp));
    }
    const int32_t share = static_cast<int32_t>(100 / groups.size());
    for (auto& [office, group] : groups) {
      const std::string key = GroupKey(djxh, office, group);
      std::optional<AcceptedGroup> kept;
      {
        std::lock_guard<std::mutex> lock(gAcceptedMutex);
        auto it = gAccepted.find(key);
        if (it != gAccepted.end()) kept = it->second;
      }
      AcceptedGroup accepted;
      if (kept) {
        accepted = *kept;  // accepted before: record it, never send it twice
      } else {
        taxml::RequestDocument doc = GroupDocument(djxh, office, group);
        taxml::Call call;
        call.serviceCode = "0162";
        call.document = &doc;
        call.progress = progress;
        taxml::Reply reply = taxml::Send(call);
        if (!reply.Succeeded()) {
          failures.push_back("税务机关[" + office + "]：" + reply.error);
          continue;
        }
        std::string refusal;
        try {
          taxml::Response answer = taxml::Response::Read(reply);
          if (!answer.Succeeded()) refusal = answer.Message().empty() ? "【" + answer.Code() + "】" : answer.Message();
        } catch (const std::exception& e) {
          refusal = std::string("反馈报文异常：") + e.what();
        }
        if (!refusal.empty()) {
          failures.push_back("税务机关[" + office + "]：" + refusal);
          continue;
        }
        accepted = {reply.yblsh, NowText()};
      }
      try {
        jfdj::SaveSubmission(*db, djxh, accepted.yblsh, accepted.tjsj, office, group);
        std::lock_guard<std::mutex> lock(gAcceptedMutex);
        gAccepted.erase(key);
      } catch (const std::exception& e) {
        LogFailure(LogForm::kBracketed, "TCxjmjfdjxxgl.saveJlItem", e.what());
        {
          std::lock_guard<std::mutex> lock(gAcceptedMutex);
          gAccepted[key] = accepted;
        }
        anyNotSaved = true;
        const auto* se = dynamic_cast<const StoreError*>(&e);
        failures.push_back("税务机关[" + office + "]的登记已受理（流水号" + accepted.yblsh + "），本地保存失败：" +
                           (se ? se->UserText() : std::string(e.what())) + "请重新提交以保存，不会重复发送。");
      }
      StepProgress(progress, share);
    }
    if (!failures.empty()) {
      std::string text;
      for (const auto& f : failures) text += (text.empty() ? "" : "\n") + f;
      throw taxml::Failure(text);
    }
    return true;
  });
  if (anyNotSaved) errorInfo_->SetErrorCode(kJfdjAcceptedNotSaved);
  return ok;
}

bool TCxjmjfdjxxgl::getRespData(IJfdjItem* submission, IProgressView* progress) {
  return Run("getRespData", LogForm::kTrailing, false, [&] {
    TJfdjRecord& s = RequireRecord(submission, kJfdjjlFamily);
    const std::string djxh = CurrentDjxh();
    Ref<IDBMechanism> db = OpenMainConnection();
    nlohmann::ordered_json rows =
        Rows(*db, FormatSql(" select * from ds_jfdjjlb where djxh = '%s' and id = %d ", {V(djxh), s.GetId()}));
    if (rows.empty()) throw service::OpRefusal("缴费登记记录[" + std::to_string(s.GetId()) + "]不存在。");
    const std::string yblsh = service::Text(rows[0], "yblsh");
    taxml::RequestDocument doc("SbfXnhGrSbfJfdjjgCxRequest");
    doc.Add("jywysbh", yblsh);
    taxml::Call call;
    call.serviceCode = "0163";
    call.document = &doc;
    call.progress = progress;
    call.progressValue = 50;
    taxml::Reply reply = taxml::Send(call);
    std::string zt, sbyy;
    std::vector<jfdj::VerdictPerson> persons;
    if (reply.Refused() && reply.RefusalCode() != kBusyRefusal) {
      zt = "3";
      sbyy = reply.error;
    } else {
      reply.RequireSuccess();  // -1, and the busy refusal: nothing changes
      try {
        taxml::Response answer = taxml::Response::Read(reply);
        const std::string code = answer.Code();
        if (code == taxml::kSuccessCode) {
          zt = "2";
          for (pugi::xml_node p : answer.List("cxjmdjDetailList").children()) {
            if (p.type() != pugi::node_element) continue;
            jfdj::VerdictPerson vp{Child(p, "xm"),   Child(p, "zjlxDm"), Child(p, "zjhm"),
                                   Child(p, "dqdm"), Child(p, "cljg"),   Child(p, "cwyy"), {}};
            for (pugi::xml_node l : p.child("cxjmxzDetailList").children())
              if (l.type() == pugi::node_element)
                vp.lines.push_back({Child(l, "xzlxDm"), Child(l, "xzqh"), Child(l, "cljg"), Child(l, "cwyy")});
            persons.push_back(std::move(vp));
          }
        } else if (code == kStillProcessing) {
          zt = "1";
        } else {
          zt = "3";
          sbyy = answer.Message();
        }
      } catch (const std::exception& e) {
        LogFailure(LogForm::kTrailing, "TCxjmjfdjxxgl.getRespData.parseResp", e.what());
        throw taxml::Failure(std::string("反馈报文异常：") + e.what());
      }
    }
    try {
      jfdj::SaveVerdict(*db, s.GetId(), zt, sbyy, persons);
    } catch (const std::exception& e) {
      LogFailure(LogForm::kBracketed, "TCxjmjfdjxxgl.updateJlItem", e.what());
      throw;
    }
    s.Set("zt", zt);
    s.Set("sbyy", sbyy);
    StepProgress(progress, 50);
    return true;
  });
}

}  // namespace velmor
