#include "declaration/rcsb_dao_person_row.h"

#include "store/sql.h"

namespace velmor::declaration {

std::string PersonInsert(int32_t mxbid, const Json& p) {
  return FormatSql(
      "INSERT INTO ds_sbrymxb(mxbid, mxxh, xm, zjlx, zjhm, sbjbjgdm, rybh, xz_xzjddm, xz_sqhczdm, jfnd, zsxmdm, "
      "zspmdm, zszmdm, jfje, jffs, jflx, sbyy, pmlx, cbrytslbdm, cxjmhdid, zjtzlsh, sblsh, fkssqq, fkssqz, sjscrq, "
      "jyzt, bz, yjfje, ybtfe, sjyjfe) VALUES (%d, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %f, %s, %s, %s, "
      "%s, %s, %s, %s, %s, %s, %s, %s, %d, %s, %f, %f, %f)",
      {mxbid, Q(Text(p, "mxxh")), Q(Text(p, "xm")), Q(Text(p, "zjlx")), Q(Text(p, "zjhm")), Q(Text(p, "sbjbjgdm")),
       Q(Text(p, "rybh")), Q(Text(p, "xz_xzjddm")), Q(Text(p, "xz_sqhczdm")), Q(Text(p, "jfnd")),
       Q(Text(p, "zsxmdm")), Q(Text(p, "zspmdm")), Q(Text(p, "zszmdm")), Amount(p, "jfje"), Q(Text(p, "jffs")),
       Q(Text(p, "jflx")), Q(Text(p, "sbyy")), Q(Text(p, "pmlx")), Q(Text(p, "cbrytslbdm")), Q(Text(p, "cxjmhdid")),
       Q(Text(p, "zjtzlsh")), Q(Text(p, "sblsh")), Q(Text(p, "fkssqq")), Q(Text(p, "fkssqz")), Q(Text(p, "sjscrq")),
       Int(p, "jyzt"), Q(Text(p, "bz")), Amount(p, "yjfje"), Amount(p, "ybtfe"), Amount(p, "sjyjfe")});
}

}  // namespace velmor::declaration
