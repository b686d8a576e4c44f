#include "declaration/rcsb_dao_person_row.h"

#include <array>
#include <utility>


namespace velmor::declaration {

namespace {
// Store column -> the name the submission document gives the same value.
constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kSubmissionNames{{
    {"mxxh", "jfmxxh"},
    {"sbjbjgdm", "sbjbjgDm"},
    {"rybh", "cxjmsbbm"},
    {"xz_xzjddm", "xzjdDm"},
    {"xz_sqhczdm", "sqczDm"},
    {"zsxmdm", "zsxmDm"},
    {"zspmdm", "zspmDm"},
    {"zszmdm", "zszmDm"},
}};
}  // namespace

std::string PersonText(const Json& person, std::string_view column) {
  for (const auto& [col, name] : kSubmissionNames) {
    if (col != column) continue;
    std::string v = Text(person, name);
    if (!v.empty()) return v;
    break;
  }
  return Text(person, column);
}

const std::string kPersonInsert =
    "INSERT INTO ds_sbrymxb(mxbid, mxxh, xm, zjlx, zjhm, sbjbjgdm, rybh, xz_xzjddm, xz_sqhczdm, jfnd, zsxmdm, zspmdm, "
    "zszmdm, jfje, jffs, jflx, sbyy, pmlx, cbrytslbdm, cxjmhdid, zjtzlsh, sblsh, fkssqq, fkssqz, sjscrq, jyzt, bz, yjfje, "
    "ybtfe, sjyjfe) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

void BindPerson(BoundValues& v, int32_t mxbid, const Json& p) {
  auto t = [&](std::string_view column) { return PersonText(p, column); };
  v.Int(mxbid);
  for (const char* c : {"mxxh", "xm", "zjlx", "zjhm", "sbjbjgdm", "rybh", "xz_xzjddm", "xz_sqhczdm", "jfnd", "zsxmdm",
                        "zspmdm", "zszmdm"})
    v.Text(t(c));
  v.Money(Amount(p, "jfje"));
  for (const char* c : {"jffs", "jflx", "sbyy", "pmlx", "cbrytslbdm", "cxjmhdid", "zjtzlsh", "sblsh", "fkssqq", "fkssqz",
                        "sjscrq"})
    v.Text(t(c));
  v.Int(Int(p, "jyzt")).Text(t("bz")).Money(Amount(p, "yjfje")).Money(Amount(p, "ybtfe")).Money(Amount(p, "sjyjfe"));
}

}  // namespace velmor::declaration
