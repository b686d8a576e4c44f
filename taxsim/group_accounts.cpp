#include "taxsim/group_accounts.h"

#include <set>
#include <string_view>
#include <tuple>

namespace velmor::taxsim {

std::string GroupDjxh(std::string_view jfrlx, int64_t k) {
  std::string digits = std::to_string(k);
  return std::string(jfrlx) + std::string(19 - digits.size(), '0') + digits;
}

namespace {

// The kinds (xzlx, zsxm, zspm) of a payer's valid items, in order: views of the items' own texts,
// a handful among hundreds of thousands of items.
using Kinds = std::set<std::tuple<std::string_view, std::string_view, std::string_view>>;

Kinds KindsOf(const State& s, const Payer& p) {
  Kinds kinds;
  for (const Item& it : s.items)
    // insert, not emplace: emplace makes a node before it looks, for every item.
    if (it.djxh == p.djxh && it.yxbz != "N") kinds.insert({it.xzlxDm, it.zsxmDm, it.zspmDm});
  return kinds;
}

nlohmann::json Account(const Payer& p, const Kinds& kinds, const char* jfrlx, const char* name) {
  const std::string djxh = GroupDjxh(jfrlx, 1);
  nlohmann::json lines = nlohmann::json::array();
  int n = 0;
  for (const auto& [xzlx, zsxm, zspm] : kinds)
    lines.push_back({{"cbxzId", std::string("JT") + jfrlx + std::to_string(++n)},
                     {"zsxmDm", std::string(zsxm)},
                     {"zspmDm", std::string(zspm)},
                     {"zszmDm", ""},
                     {"xzlxdm", std::string(xzlx)},
                     {"jdxzdm", p.xzqhDm + "001"},
                     {"sqczdm", p.xzqhDm + "001001"}});
  auto unit = [&](const std::string& office, const char* yxbz, const std::string& dwbh) {
    return nlohmann::json{{"zgswjgDm", office},
                          {"zgswksDm", office + "01"},
                          {"jfrztDm", "03"},
                          {"xnhflbs", *yxbz == 'Y' ? "0101" : ""},
                          {"yxbz", yxbz},
                          {"sbjbjgDm", p.sbjbjgDm},
                          {"dwbh", dwbh},
                          {"jfrlx", jfrlx},
                          {"ssxzqhdm", p.xzqhDm},
                          {"lxrxm", "联系人"},
                          {"lxdh", "010-12345678"},
                          {"lxdz", "模拟路2号"},
                          {"cbxzList", *yxbz == 'Y' ? lines : nlohmann::json::array()}};
  };
  nlohmann::json units = nlohmann::json::array();
  units.push_back(unit(p.zgswjgDm, "Y", std::string("JT") + jfrlx + "01"));
  units.push_back(unit(p.zgswjgDm.substr(0, 7) + "9999", "N", std::string("JT") + jfrlx + "02"));
  return {{"djxh", djxh}, {"jfrlx", jfrlx}, {"nsrmc", name}, {"units", units}};
}

}  // namespace

nlohmann::json GenerateGroupAccounts(const State& s) {
  nlohmann::json out = nlohmann::json::array();
  if (s.payers.empty()) return out;
  // Both accounts take the first payer's kinds: its items are walked once (200,000 at 100,000
  // persons, on the way to the simulator's first answer).
  const Kinds kinds = KindsOf(s, s.payers[0]);
  out.push_back(Account(s.payers[0], kinds, "8", "模拟集体补助户"));
  out.push_back(Account(s.payers[0], kinds, "9", "模拟政府代缴户"));
  return out;
}

const nlohmann::json* FindGroupAccount(const State& s, std::string_view djxh) {
  for (const nlohmann::json& a : s.groups)
    if (a.is_object() && a.value("djxh", "") == djxh) return &a;
  return nullptr;
}

}  // namespace velmor::taxsim
