#include "taxsim/rules/rule_set.h"

#include "taxsim/rules/fee_rules.h"

#include <cstdio>
#include <set>

#include <openssl/evp.h>

namespace velmor::taxsim {

namespace {

using json = nlohmann::json;

json Row(std::initializer_list<std::pair<const char*, std::string>> members) {
  json row = json::object();
  for (const auto& [k, v] : members) row[k] = v;
  return row;
}

json DmMc(std::initializer_list<std::pair<const char*, const char*>> pairs) {
  json rows = json::array();
  for (const auto& [dm, mc] : pairs) rows.push_back({{"dm", dm}, {"mc", mc}, {"yxbz", "Y"}});
  return rows;
}

struct Levy {
  const char *xzlxDm, *xzlxMc, *zsxmDm, *zsxmMc, *zspmDm, *zspmMc, *zszmDm, *zszmMc, *pmlx;
};

// The levy items and sub-items of the generated insured items (taxsim/state.cpp), named.
const Levy kLevies[] = {
    {"110", "企业职工基本养老保险", "10210", "企业职工基本养老保险费", "102101000", "企业职工基本养老保险(单位缴纳)",
     "102101001", "养老保险单位部分", "01"},
    {"310", "职工基本医疗保险", "10212", "基本医疗保险费", "102121000", "职工基本医疗保险(单位缴纳)", "102121001",
     "医疗保险单位部分", "02"},
    {"410", "失业保险", "10213", "失业保险费", "102131000", "失业保险(单位缴纳)", "102131001", "失业保险单位部分", "03"},
};

std::string Tail(const std::string& code, size_t n) { return code.size() > n ? code.substr(code.size() - n) : code; }

}  // namespace

const std::vector<std::string>& RuleNames() {
  static const std::vector<std::string> kNames = {
      "swjgGz",      "sbjbjgGz",     "bzzzlxGz",   "gjhdqGz",        "hjlxGz",
      "djzclxGz",    "rytslbGz",     "swryGz",     "rsjfrylbGz",     "djtzyyGz",
      "rysfGz",      "tsrylbGz",     "ygxsGz",     "cbsfGz",         "sbjbjgjdxzsqczdzGz",
      "xzGz",        "pmlxGz",       "cbxzGz",     "jnfsGz",         "sbjbjgzspmdzGz",
      "yhhbGz",      "sfzjlxGjGz",   "rsxzqhGz",   "grdjxzdzGz",     "grcbrytslbdzGz",
      "cxjmyjfedcGz", "mzGz",        "ryztGz",     "cxjmCbrytslbSyrqlxDzGz", "cxjmFkssqGz",
      "xzdzGz",      "xnhflbsGz",    "jfbzGz",
      "cxjmJfbzGz"};
  return kNames;
}

std::string Md5Hex(const std::string& text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr);
  std::string out;
  char buf[3];
  for (unsigned int i = 0; i < length; ++i) {
    std::snprintf(buf, sizeof buf, "%02x", digest[i]);
    out += buf;
  }
  return out;
}

void CompleteRuleMd5(json& rules) {
  for (json& rule : rules) {
    if (!rule.is_object()) continue;
    if (!rule.contains("gzLb")) rule["gzLb"] = json::array();
    if (!rule.contains("md5") || !rule["md5"].is_string() || rule["md5"].get<std::string>().empty())
      rule["md5"] = Md5Hex(rule["gzLb"].dump());
  }
}

json BuildRuleSet(const State& state) {
  std::set<std::string> swjg, sbjbjg, xzqh;
  for (const Payer& p : state.payers) {
    if (!p.zgswjgDm.empty()) swjg.insert(p.zgswjgDm);
    if (!p.sbjbjgDm.empty()) sbjbjg.insert(p.sbjbjgDm);
    if (!p.xzqhDm.empty()) xzqh.insert(p.xzqhDm);
  }
  for (const Enrolment& e : state.enrolments) {
    if (!e.sbjbjgDm.empty()) sbjbjg.insert(e.sbjbjgDm);
    if (!e.swjgDm.empty()) swjg.insert(e.swjgDm);
  }
  if (swjg.empty()) swjg.insert("11101000000");
  if (sbjbjg.empty()) sbjbjg.insert("11101000000");
  if (xzqh.empty()) xzqh.insert("110101");
  const std::string region = *xzqh.begin();

  std::map<std::string, json> r;
  for (const std::string& n : RuleNames()) r[n] = json::array();
  for (const std::string& code : swjg)
    r["swjgGz"].push_back({{"dm", code}, {"mc", "国家税务总局第" + Tail(code, 4) + "税务分局"}, {"yxbz", "Y"}});
  for (const std::string& code : sbjbjg)
    r["sbjbjgGz"].push_back({{"dm", code}, {"mc", "社会保险事业管理中心第" + Tail(code, 4) + "经办处"}, {"yxbz", "Y"}});
  r["bzzzlxGz"] = DmMc({{"201", "居民身份证"}, {"202", "军官证"}, {"203", "武警警官证"}, {"208", "外国护照"},
                        {"210", "港澳居民来往内地通行证"}, {"213", "台湾居民来往大陆通行证"}, {"227", "中国护照"},
                        {"238", "港澳台居民居住证"}});
  r["gjhdqGz"] = DmMc({{"156", "中国"}, {"344", "中国香港"}, {"446", "中国澳门"}, {"158", "中国台湾"},
                       {"392", "日本"}, {"410", "韩国"}, {"840", "美国"}});
  r["hjlxGz"] = DmMc({{"10", "非农业户口"}, {"20", "农业户口"}});
  r["djzclxGz"] = DmMc({{"110", "国有企业"}, {"120", "集体企业"}, {"159", "其他有限责任公司"},
                        {"173", "私营有限责任公司"}, {"300", "外商投资企业"}, {"410", "个体工商户"}});
  r["rytslbGz"] = DmMc({{"00", "无特殊类别"}, {"01", "退役士兵"}, {"02", "建档立卡贫困人员"}, {"03", "低保对象"}});
  r["swryGz"] = DmMc({{"01", "正常死亡"}, {"02", "因工死亡"}});
  r["rsjfrylbGz"] = DmMc({{"1", "在职人员"}, {"2", "退休人员"}, {"3", "灵活就业人员"}});
  r["djtzyyGz"] = DmMc({{"01", "死亡"}, {"02", "参军"}, {"03", "转入其他地区参保"}});
  r["rysfGz"] = DmMc({{"11", "城镇居民"}, {"12", "农村居民"}, {"21", "在校学生"}, {"31", "未成年人"}});
  r["tsrylbGz"] = DmMc({{"00", "普通人员"}, {"01", "重度残疾人"}, {"02", "特困供养人员"}});
  r["ygxsGz"] = DmMc({{"1", "全日制"}, {"2", "非全日制"}});
  r["cbsfGz"] = DmMc({{"1", "城乡居民"}, {"2", "学生儿童"}, {"3", "大学生"}});

  for (const std::string& agency : sbjbjg) {
    for (int j = 1; j <= 3; ++j) {
      std::string jdxz = region + Tail(agency, 1) + "0" + std::to_string(j);
      for (int c = 1; c <= 3; ++c) {
        std::string sqcz = jdxz + "00" + std::to_string(c);
        r["sbjbjgjdxzsqczdzGz"].push_back(Row({{"sbjbjgDm", agency},
                                               {"jdxzDm", jdxz},
                                               {"jdxzMc", "第" + Tail(agency, 2) + "-" + std::to_string(j) + "街道"},
                                               {"sqczDm", sqcz},
                                               {"sqczMc", "第" + std::to_string(j) + "街道第" + std::to_string(c) + "社区"}}));
      }
    }
  }

  for (const Levy& l : kLevies) {
    json zszm = json::array({{{"dm", l.zszmDm}, {"mc", l.zszmMc}}});
    json zspm = json::array({{{"dm", l.zspmDm}, {"mc", l.zspmMc}, {"zszmLb", zszm}}});
    r["xzGz"].push_back({{"dm", l.xzlxDm}, {"mc", l.xzlxMc}, {"zspmLb", zspm}});
    r["pmlxGz"].push_back(Row({{"zspmDm", l.zspmDm}, {"pmlx", l.pmlx}}));
    r["cbxzGz"].push_back(Row({{"xzlxDm", l.xzlxDm}, {"xzlxMc", l.xzlxMc}}));
    for (const std::string& agency : sbjbjg) {
      r["jnfsGz"].push_back(Row({{"sbjbjgDm", agency}, {"xzlxDm", l.xzlxDm}, {"ylxzlxDm", l.xzlxDm},
                                 {"yxqq", "20000101"}, {"yxqz", "20991231"}}));
      r["sbjbjgzspmdzGz"].push_back(Row({{"sbjbjgDm", agency}, {"zspmDm", l.zspmDm}, {"zszmDm", l.zszmDm}}));
      r["jfbzGz"].push_back({{"zsxmDm", l.zsxmDm}, {"zspmDm", l.zspmDm}, {"sbjbjgDm", agency}, {"yxqq", 20000101},
                             {"yxqz", 20991231}, {"nldq", 0}, {"nldz", 200}, {"dcje", 300}});
    }
  }
  r["yhhbGz"] = json::array({Row({{"yhhbDm", "102"}, {"yhhbMc", "中国工商银行"}, {"yhhbJc", "工行"}, {"sjyhhbDm", ""}}),
                             Row({{"yhhbDm", "103"}, {"yhhbMc", "中国农业银行"}, {"yhhbJc", "农行"}, {"sjyhhbDm", ""}}),
                             Row({{"yhhbDm", "104"}, {"yhhbMc", "中国银行"}, {"yhhbJc", "中行"}, {"sjyhhbDm", ""}}),
                             Row({{"yhhbDm", "105"}, {"yhhbMc", "中国建设银行"}, {"yhhbJc", "建行"}, {"sjyhhbDm", ""}})});
  r["sfzjlxGjGz"] = json::array({Row({{"sfzjlxDm", "201"}, {"gjDm", "156"}}), Row({{"sfzjlxDm", "227"}, {"gjDm", "156"}}),
                                 Row({{"sfzjlxDm", "210"}, {"gjDm", "344"}}), Row({{"sfzjlxDm", "210"}, {"gjDm", "446"}}),
                                 Row({{"sfzjlxDm", "213"}, {"gjDm", "158"}}), Row({{"sfzjlxDm", "208"}, {"gjDm", "840"}})});
  r["rsxzqhGz"] = json::array({Row({{"xzqhDm", region.substr(0, 2) + "0000"}, {"sjxzqhDm", "000000"}}),
                               Row({{"xzqhDm", region.substr(0, 4) + "00"}, {"sjxzqhDm", region.substr(0, 2) + "0000"}}),
                               Row({{"xzqhDm", region}, {"sjxzqhDm", region.substr(0, 4) + "00"}})});
  for (const char* grsf : {"11", "12"}) {
    r["grdjxzdzGz"].push_back(Row({{"grsfDm", grsf}, {"tsrylbDm", "%"}, {"xzqhDm", region}, {"xzlxDm", "170"}}));
    r["grcbrytslbdzGz"].push_back(
        Row({{"grsfDm", grsf}, {"tsrylbDm", "%"}, {"xzqhDm", region}, {"xzlxDm", "170"}, {"cbrytslbDm", "00"}}));
  }
  for (const std::string& agency : sbjbjg) {
    r["cxjmyjfedcGz"].push_back(Row({{"dcDm", "01"}, {"dcmc", "一档"}, {"sbjbjgDm", agency}, {"zsxmDm", "10219"},
                                     {"zspmDm", "102190100"}, {"zszmDm", "102190101"}, {"nldq", "0"}, {"nldz", "200"},
                                     {"sex", "%"}, {"grsjje", "380"}, {"jfndq", "2020"}, {"jfndz", "2099"},
                                     {"dtjfbz", "N"}, {"czbtje", "0"}, {"bzje", "0"}, {"zfdjje", "0"},
                                     {"syrqlxDm", "%"}}));
    r["cxjmFkssqGz"].push_back(Row({{"sbjbjgDm", agency}, {"fkssqlx", "01"}, {"fkssqq", "DN01"}, {"fkssqz", "DN12"}}));
  }
  r["cxjmFkssqGz"].push_back(Row({{"sbjbjgDm", "%"}, {"fkssqlx", "02"}, {"fkssqq", "DN09"}, {"fkssqz", "CN08"}}));
  r["mzGz"] = DmMc({{"01", "汉族"}, {"02", "蒙古族"}, {"03", "回族"}, {"04", "藏族"}, {"05", "维吾尔族"}});
  r["ryztGz"] = json::array({Row({{"ryztDm", "1"}, {"ryztMc", "正常参保"}, {"sfjf", "Y"}}),
                             Row({{"ryztDm", "2"}, {"ryztMc", "暂停参保"}, {"sfjf", "N"}}),
                             Row({{"ryztDm", "3"}, {"ryztMc", "终止参保"}, {"sfjf", "N"}})});
  r["cxjmCbrytslbSyrqlxDzGz"] = json::array({Row({{"cbrytslbDm", "%"}, {"syrqlxDm", "01"}}),
                                             Row({{"cbrytslbDm", "02"}, {"syrqlxDm", "02"}})});
  r["xzdzGz"] = json::array({Row({{"xzqhDm", region}, {"xzdz", "第一行政区"}})});
  r["xnhflbsGz"] = json::array({Row({{"flbsDm", "01"}, {"flbsMc", "普通参合"}}), Row({{"flbsDm", "02"}, {"flbsMc", "资助参合"}})});

  r["cxjmJfbzGz"] = FeeRules(sbjbjg);

  json set = json::array();
  for (const std::string& n : RuleNames()) set.push_back({{"name", n}, {"md5", Md5Hex(r[n].dump())}, {"gzLb", r[n]}});
  return set;
}

const json& EnsureRules(State& state) {
  if (!state.rules.is_array() || state.rules.empty()) state.rules = BuildRuleSet(state);
  CompleteRuleMd5(state.rules);
  return state.rules;
}

}  // namespace velmor::taxsim
