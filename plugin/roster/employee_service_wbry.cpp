// Adding outside persons ("0057"): the server is asked which of them it knows, and the outcome
// of each is stored as a local person.
#include <map>
#include <optional>

#include "codec/taxml_exchange.h"
#include "codec/text_utils.h"
#include "codec/taxml_request.h"
#include "codec/taxml_response.h"
#include "framework/progress.h"
#include "roster/employee_service.h"
#include "roster/employee_service_guard.h"

namespace velmor {

std::string PersonKey(const std::string& xm, const std::string& zjlx, const std::string& zjhm) {
  return xm + "|" + zjlx + "|" + zjhm;
}

bool KnownServerPersons::Knows(const std::string& xm, const std::string& zjlx, const std::string& zjhm) {
  auto [it, fresh] = asked_.try_emplace(std::make_tuple(xm, zjlx, zjhm), false);
  if (fresh) {
    const int32_t count = dao_.getRyCountBy4Elements(djxh_, xm, zjlx, zjhm, RyOrigin::kServer);
    if (count < 0) {
      asked_.erase(it);
      throw taxml::Failure(dao_.GetErrorMessage());
    }
    it->second = count > 0;
  }
  return it->second;
}

bool TEmployeeServiceImpl::addWbry(const std::string& djxh, const std::vector<WbryInput>& persons,
                                   IProgressView* progress, std::vector<WbryOutcome>& outcomes, std::string& message) {
  return AddWbry(djxh, persons, progress, outcomes, message, nullptr);
}

bool TEmployeeServiceImpl::AddWbry(const std::string& djxh, const std::vector<WbryInput>& persons,
                                   IProgressView* progress, std::vector<WbryOutcome>& outcomes, std::string& message,
                                   KnownServerPersons* knownPersons) {
  outcomes.clear();
  return Run("addWbry", "添加异常：", false, message, [&] {
    Ref<IEmployeeDao> dao = EmployeeDao();
    KnownServerPersons own(*dao, djxh);
    KnownServerPersons& known = knownPersons ? *knownPersons : own;
    std::map<std::string, std::vector<size_t>> byAgency;
    // Each distinct person is sent once; every place it was given at receives its outcome.
    std::map<std::string, std::vector<size_t>> occurrences;
    for (size_t i = 0; i < persons.size(); ++i) {
      const WbryInput& p = persons[i];
      WbryOutcome o{p.xm, p.zjlx, p.zjhm, "", "", ""};
      const std::string key = PersonKey(p.xm, p.zjlx, p.zjhm);
      if (known.Knows(p.xm, p.zjlx, p.zjhm)) {
        o.reason = kWbryDuplicate;
      } else {
        std::vector<size_t>& at = occurrences[key];
        if (at.empty()) byAgency[p.sbjbjgdm].push_back(i);
        at.push_back(i);
      }
      outcomes.push_back(std::move(o));
    }
    if (byAgency.empty()) return;

    taxml::RequestDocument doc("SbfPlCbryJfDjxxCxRequest");
    doc.Open("sbjbjgList");
    for (const auto& [agency, indexes] : byAgency) {
      doc.Open("sbjgjgDTO").Add("sbjbjgDm", agency).Open("cxjmXxList");
      for (size_t i : indexes)
        doc.Open("cxjmXxDTO").Add("xm", persons[i].xm).Add("sfzjlx", persons[i].zjlx).Add("sfzjhm", persons[i].zjhm).Close();
      doc.Close().Close();
    }
    doc.Close();
    taxml::Call call;
    call.serviceCode = "0057";
    call.document = &doc;
    call.djxh = false;
    call.progress = progress;
    call.progressValue = 50;
    call.keys["djxh"] = djxh;
    taxml::Reply reply = taxml::Send(call);
    reply.RequireSuccess();
    std::optional<taxml::Response> answer;
    try {
      answer.emplace(taxml::Response::Read(reply));
      answer->Code();
    } catch (const std::exception& e) {
      throw service::OpRefusal(std::string("反馈报文解析异常：") + e.what());
    }
    answer->RequireSuccess();

    auto settle = [&](pugi::xml_node row, const char* state) {
      auto it = occurrences.find(PersonKey(row.child_value("xm"), row.child_value("sfzjlx"), row.child_value("sfzjhm")));
      if (it == occurrences.end()) return;
      for (size_t i : it->second) {
        WbryOutcome& o = outcomes[i];
        o.state = state;
        if (*state == '1') o.hh = row.child_value("hh");
        else o.reason = row.child_value("sbyy");
      }
    };
    for (pugi::xml_node r = answer->List("cgryXxList").first_child(); r; r = r.next_sibling()) settle(r, "1");
    for (pugi::xml_node r = answer->List("sbryXxList").first_child(); r; r = r.next_sibling()) settle(r, "2");

    std::vector<WbryEntry> entries;
    for (const auto& [key, at] : occurrences) {
      const size_t i = at.front();  // stored once, with the details given first
      const WbryOutcome& o = outcomes[i];
      if (o.state.empty()) continue;  // the server answered nothing about it
      WbryEntry e;
      e.xm = persons[i].xm;
      e.zjlx = persons[i].zjlx;
      e.zjhm = persons[i].zjhm;
      e.fzid = persons[i].fzid;
      e.fullpath = persons[i].fullpath;
      e.bzxx = persons[i].bzxx;
      e.hh = o.hh;
      e.state = o.state;
      entries.push_back(std::move(e));
    }
    std::string text;
    if (!entries.empty() && !dao->saveWbry(djxh, entries, text)) throw taxml::Failure(text);
    StepProgress(progress, 50);
  });
}

}  // namespace velmor
