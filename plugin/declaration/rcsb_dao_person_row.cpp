#include "declaration/rcsb_dao_person_row.h"

#include <array>
#include <utility>

#include "store/sql.h"

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

std::string PersonInsert(int32_t mxbid, const Json& p) {
  // The texts are temporaries of the FormatSql expression, so Q() never outlives them.
  auto t = [&](std::string_view column) { return PersonText(p, column); };
  return FormatSql(
      "INSERT INTO ds_sbrymxb(mxbid, mxxh, xm, zjlx, zjhm, sbjbjgdm, rybh, xz_xzjddm, xz_sqhczdm, jfnd, zsxmdm, "
      "zspmdm, zszmdm, jfje, jffs, jflx, sbyy, pmlx, cbrytslbdm, cxjmhdid, zjtzlsh, sblsh, fkssqq, fkssqz, sjscrq, "
      "jyzt, bz, yjfje, ybtfe, sjyjfe) VALUES (%d, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %f, %s, %s, %s, "
      "%s, %s, %s, %s, %s, %s, %s, %s, %d, %s, %f, %f, %f)",
      {mxbid, Q(t("mxxh")), Q(t("xm")), Q(t("zjlx")), Q(t("zjhm")), Q(t("sbjbjgdm")), Q(t("rybh")), Q(t("xz_xzjddm")), Q(t("xz_sqhczdm")),
       Q(t("jfnd")), Q(t("zsxmdm")), Q(t("zspmdm")), Q(t("zszmdm")), Amount(p, "jfje"), Q(t("jffs")), Q(t("jflx")), Q(t("sbyy")),
       Q(t("pmlx")), Q(t("cbrytslbdm")), Q(t("cxjmhdid")), Q(t("zjtzlsh")), Q(t("sblsh")), Q(t("fkssqq")), Q(t("fkssqz")), Q(t("sjscrq")),
       Int(p, "jyzt"), Q(t("bz")), Amount(p, "yjfje"), Amount(p, "ybtfe"), Amount(p, "sjyjfe")});
}

}  // namespace velmor::declaration
