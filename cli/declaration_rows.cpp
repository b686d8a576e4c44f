#include "cli/declaration_rows.h"

#include "store/sql.h"

namespace velmor::cli {

std::string DeclarationRowsSql(const std::string& djxh, const std::string& month) {
  const SqlFragment inMonth =
      month.empty() ? SqlFragment()
                    : SqlFragment::Trusted(FormatSql(" and c.ksjfyf <= '%0:s' and c.tzjfyf >= '%0:s'", {V(month)}));
  // The persons are read in their stored order, newest first, as the update view reads them: the
  // unary plus (the engine's no-op) keeps the planner off the index by payer, whose order a sort
  // of every row would then undo (six times slower at 100,000 persons).
  return FormatSql(
      "select a.rydjxh, a.xm, a.zjlx, a.zjhm, b.sbjbjgdm, b.rybh, b.yxbz as cbjgyxbz, c.xzid, c.zsxmdm, c.zspmdm, "
      "c.zszmdm, c.xzjddm, c.sqhczdm, c.yxbz as xmyxbz, c.pmlx, c.yjfe from sb_ryjbxxb a, sb_rycbjgxxb b, "
      "sb_rycbxmb c where +a.djxh = '%s' and b.djxh = a.djxh and b.rydjxh = a.rydjxh and c.djxh = b.djxh and "
      "c.rydjxh = b.rydjxh and c.sbjbjgdm = b.sbjbjgdm and c.rybh = b.rybh%s order by a.id desc, c.xzid",
      {V(djxh), inMonth});
}

}  // namespace velmor::cli
