// Medical-insurance personal account registrations:
//   "0187" residents registered against the payer's account (SbfYbGrzhDjcxjmxxCxRequest): sftj
//          "Y" answers cxjmrs and the window applied (gxsjq, gxsjz: the request's, gxsjz now when
//          empty); "N" the page pagenum of pagesize residents, each with its cxjmCbDjxxList.
//          A resident is a person of the payer with at least one valid item (yxbz not "N"; a
//          person whose items are all invalid is no longer registered); its lines are those
//          items. A resident's change time is State::residents["ybgrzh_gxsj"][rydjxh], else
//          kBaseStamp; a window [gxsjq, gxsjz] holds the residents changed within it (no gxsjq:
//          all). zgswjgDm, when given, must be the payer's office, else the list is empty.
//   "0186" the payer's relationships (cxjmDjxxList); none: code "20093".
//   "0188" maintains them (SbfYbGrzhDjgxWhRequest): czlx "1" adds, "2" removes; each line is
//          answered in cxjmDjxxList (djmxxh, code, message): "30188" an rybh none of the payer's
//          items has, "30189" no qsgx, "30190" removing a relationship that does not exist,
//          "30191" another czlx. A request without lines: code "30187".
// Relationships live in State::residents["ybgrzh_gx"][djxh], keyed by rybh, xzlxDm and djnd.
#include <cstdio>
#include <ctime>

#include "taxsim/handlers.h"
#include "taxsim/handlers/handler_support.h"
#include "taxsim/handlers/roster_book.h"

namespace velmor::taxsim {
namespace {

std::string Now() {
  return LocalTimeText("%Y-%m-%d %H:%M:%S");
}

std::string ChangeTime(const State& s, const std::string& rydjxh) {
  auto all = s.residents.find("ybgrzh_gxsj");
  if (all != s.residents.end() && all->is_object()) {
    auto it = all->find(rydjxh);
    if (it != all->end() && it->is_string()) return it->get<std::string>();
  }
  return kBaseStamp;
}

std::vector<const Item*> ValidItems(const State& s, const std::string& rydjxh) {
  std::vector<const Item*> out;
  for (const Item* it : ItemsOf(s, rydjxh))
    if (it->yxbz != "N") out.push_back(it);
  return out;
}

std::vector<const Person*> Residents(const State& s, const Payer& payer, const std::string& office,
                                     const std::string& gxsjq, const std::string& gxsjz) {
  std::vector<const Person*> out;
  if (!office.empty() && office != payer.zgswjgDm) return out;
  auto [first, last] = s.PersonsOf(payer.djxh);
  for (const Person* p = first; p != last; ++p) {
    const std::string t = ChangeTime(s, p->rydjxh);
    if ((!gxsjq.empty() && t < gxsjq) || (!gxsjz.empty() && t > gxsjz)) continue;
    if (!ValidItems(s, p->rydjxh).empty()) out.push_back(p);
  }
  return out;
}

Result ResidentEntry(const State& s, const Payer& payer, const Person& p) {
  Result lines = Result::array();
  for (const Item* it : ValidItems(s, p.rydjxh))
    lines.push_back({{"sbjbjgDm", it->sbjbjgDm}, {"rybh", it->rybh},      {"dwbh", "DW" + it->sbjbjgDm},
                     {"djnd", it->jfnd},         {"sbhm", ""},            {"ssxzqhDm", payer.xzqhDm},
                     {"sqczDm", "110101001001"}, {"xzlxDm", it->xzlxDm},  {"zsxmdm", it->zsxmDm},
                     {"zspmdm", it->zspmDm},     {"zszmdm", it->zszmDm},  {"tcqBm", payer.xzqhDm},
                     {"jdxzDm", "110101001"},    {"xzSqczDm", ""},        {"cbrytslbDm", "01"},
                     {"ksjfyf", it->ksjfyf},     {"tzjfyf", it->tzjfyf},  {"gxsj", ChangeTime(s, p.rydjxh)},
                     {"yjfe", Amount(it->yjfe)}});
  return {{"djxh", p.rydjxh}, {"xm", p.xm},       {"sfzjlx", p.zjlxDm}, {"sfzjhm", p.zjhm},
          {"gjDm", p.gjdqDm}, {"csrq", p.csrq},   {"xb", p.xbDm},       {"nsrsbh", p.zjhm},
          {"cxjmCbDjxxList", lines}};
}

size_t PageParam(const Call& call, const char* name, size_t fallback) {
  const std::string text = Param(call, name);
  if (text.empty()) return fallback;
  try {
    size_t used = 0;
    const unsigned long v = std::stoul(text, &used);
    if (used == text.size() && v >= 1) return v;
  } catch (const std::exception&) {
  }
  throw Refusal("10009", "分页参数无效");
}

Answer Registrations(const Call& call, State& s) {
  const Payer& payer = RequirePayer(s, call);
  const std::string gxsjq = Param(call, "gxsjq");
  const std::string gxsjz = Param(call, "gxsjz").empty() ? Now() : Param(call, "gxsjz");
  const std::vector<const Person*> residents = Residents(s, payer, Param(call, "zgswjgDm"), gxsjq, gxsjz);
  if (Param(call, "sftj") == "Y")
    return ResultAnswer(call, {{"cxjmrs", std::to_string(residents.size())}, {"gxsjq", gxsjq}, {"gxsjz", gxsjz}});
  const size_t page = PageParam(call, "pagenum", 1), size = PageParam(call, "pagesize", 100);
  Result list = Result::array();
  for (size_t i = (page - 1) * size; i < residents.size() && i < page * size; ++i)
    list.push_back(ResidentEntry(s, payer, *residents[i]));
  return ResultAnswer(call, {{"cxjmrs", std::to_string(residents.size())}, {"cxjmDjxxList", list}});
}

nlohmann::json& LinksOf(State& s, const std::string& djxh) {
  nlohmann::json& all = s.residents["ybgrzh_gx"];
  if (!all.is_object()) all = nlohmann::json::object();
  nlohmann::json& mine = all[djxh];
  if (!mine.is_object()) mine = nlohmann::json::object();
  return mine;
}

Answer Relationships(const Call& call, State& s) {
  const Payer& payer = RequirePayer(s, call);
  Result list = Result::array();
  const nlohmann::json& links = LinksOf(s, payer.djxh);
  for (auto it = links.begin(); it != links.end(); ++it) list.push_back(Result::parse(it->dump()));
  if (list.empty()) return Answer::Error("20093", "未查询到登记关系");
  return ResultAnswer(call, {{"cxjmDjxxList", list}});
}

Answer Maintain(const Call& call, State& s) {
  const Payer& payer = RequirePayer(s, call);
  const std::vector<pugi::xml_node> rows = DocumentRows(call, "cxjmDjxxList");
  if (rows.empty()) return Answer::Error("30187", "登记明细为空");
  nlohmann::json& links = LinksOf(s, payer.djxh);
  Result answers = Result::array();
  for (pugi::xml_node r : rows) {
    const std::string rybh = r.child_value("rybh"), czlx = r.child_value("czlx");
    const std::string key = rybh + "|" + r.child_value("xzlxDm") + "|" + r.child_value("djnd");
    const Item* item = nullptr;
    for (const Item* it : PayerItems(s, payer.djxh))
      if (it->rybh == rybh) item = it;
    std::string code = "00000", message = "处理成功";
    if (czlx != "1" && czlx != "2") {
      code = "30191", message = "操作类型无效";
    } else if (!item) {
      code = "30188", message = "人员编号不存在";
    } else if (czlx == "1" && std::string(r.child_value("qsgx")).empty()) {
      code = "30189", message = "亲属关系不能为空";
    } else if (czlx == "2" && !links.contains(key)) {
      code = "30190", message = "登记关系不存在";
    } else if (czlx == "2") {
      links.erase(key);
    } else {
      const Person* p = FindByRydjxh(s, item->rydjxh);
      links[key] = {{"djxh", item->rydjxh},         {"xm", p ? p->xm : ""},
                    {"sfzjlx", p ? p->zjlxDm : ""}, {"sfzjhm", p ? p->zjhm : ""},
                    {"qsgx", r.child_value("qsgx")}, {"djnd", r.child_value("djnd")},
                    {"sbjbjgDm", r.child_value("sbjbjgDm")}, {"rybh", rybh},
                    {"xzlxDm", r.child_value("xzlxDm")},     {"cbrytslbDm", "01"},
                    {"yjfe", r.child_value("yjfe")}};
    }
    answers.push_back({{"djmxxh", r.child_value("djmxxh")}, {"code", code}, {"message", message}});
  }
  return ResultAnswer(call, {{"cxjmDjxxList", answers}});
}

}  // namespace

void RegisterMedicalAccountHandlers(HandlerRegistry& r) {
  r.Add("0186", Relationships);
  r.Add("0187", Registrations);
  r.Add("0188", Maintain);
}

}  // namespace velmor::taxsim
