#include "declaration/rcsb_dao_person_row.h"

namespace velmor::declaration {

const std::array<std::string_view, kPersonFieldCount> kPersonFieldNames{
    "mxxh",     "xm",       "zjlx",     "zjhm",   "sbjbjgdm", "rybh",       "xz_xzjddm", "xz_sqhczdm",
    "jfnd",     "zsxmdm",   "zspmdm",   "zszmdm", "jfje",     "jffs",       "jflx",      "sbyy",
    "pmlx",     "cbrytslbdm", "cxjmhdid", "zjtzlsh", "sblsh",  "fkssqq",     "fkssqz",    "sjscrq",
    "jyzt",     "bz",       "yjfje",    "ybtfe",  "sjyjfe",   "jfmxxh",     "sbjbjgDm",  "cxjmsbbm",
    "xzjdDm",   "sqczDm",   "zsxmDm",   "zspmDm", "zszmDm",   "jhsx"};

bool PersonFieldOf(std::string_view name, PersonField& field) {
  for (size_t i = 0; i < kPersonFieldCount; ++i) {
    if (kPersonFieldNames[i] == name) {
      field = static_cast<PersonField>(i);
      return true;
    }
  }
  return false;
}

PersonField SubmissionName(PersonField column) {
  using F = PersonField;
  switch (column) {
    case F::mxxh: return F::jfmxxh;
    case F::sbjbjgdm: return F::sbjbjgDm;
    case F::rybh: return F::cxjmsbbm;
    case F::xz_xzjddm: return F::xzjdDm;
    case F::xz_sqhczdm: return F::sqczDm;
    case F::zsxmdm: return F::zsxmDm;
    case F::zspmdm: return F::zspmDm;
    case F::zszmdm: return F::zszmDm;
    default: return column;
  }
}

const std::string kPersonInsert =
    "INSERT INTO ds_sbrymxb(mxbid, mxxh, xm, zjlx, zjhm, sbjbjgdm, rybh, xz_xzjddm, xz_sqhczdm, jfnd, zsxmdm, zspmdm, "
    "zszmdm, jfje, jffs, jflx, sbyy, pmlx, cbrytslbdm, cxjmhdid, zjtzlsh, sblsh, fkssqq, fkssqz, sjscrq, jyzt, bz, yjfje, "
    "ybtfe, sjyjfe) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

}  // namespace velmor::declaration
