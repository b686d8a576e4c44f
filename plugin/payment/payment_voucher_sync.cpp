// synDzsphmDyzt: the voucher states of the store brought in step with the server's, through
// the host's social-insurance payment service.
#include "codec/json_parse.h"
#include "framework/busy_progress.h"
#include "framework/host_access.h"
#include "framework/log.h"
#include "payment/payment_mgr.h"
#include "store/sql.h"
#include "store/sql_toolkit.h"

namespace velmor {

using Json = nlohmann::ordered_json;
using service::OpRefusal;
using service::Text;

bool TPaymentMgr::synDzsphmDyzt(const std::string& djxh, IProgressView* progress) {
  LogEnter("TPaymentMgr.synDzsphmDyzt");
  BusyProgress busy(progress);
  const bool ok = Run("synDzsphmDyzt", "系统异常，请稍后再试", [&] {
    const std::string payer = djxh.empty() ? CurrentDjxh() : djxh;
    Ref<IDBMechanism> db = OpenMainConnection();
    Json range = Rows(*db,
                      FormatSql(" select substr(min(dysj), 1, 10) as kjrqq, substr(max(dysj), 1, 10) as kjrqz "
                                " from sb_fkjnxxb where djxh = '%s' and ifnull(dysj, '') <> '' and jkfs = 3 ",
                                {V(payer)}));
    const std::string kjrqq = range.empty() ? "" : Text(range[0], "kjrqq");
    const std::string kjrqz = range.empty() ? "" : Text(range[0], "kjrqz");
    if (kjrqq.empty() || kjrqz.empty()) throw OpRefusal("未查询到开具日期");

    std::string text, error;
    if (!GetSbfjnService()->GetDzsphmZt(payer, kjrqq, kjrqz, text, error)) throw OpRefusal(error);
    Json vouchers = ParseOutsideJson<Json>(text, false);
    if (!vouchers.is_array()) throw OpRefusal("反馈报文异常");

    Transaction tx(*db, kDbUpdateFailed);
    for (const Json& v : vouchers) {
      const std::string zt = Text(v, "zt");
      int32_t dyzt = 0;
      if (zt == "1" || zt == "4")
        dyzt = 1;
      else if (zt == "2" || zt == "3")
        dyzt = 3;
      else
        continue;  // a state this client does not keep
      ExecOrThrow(*db, FormatSql(" update sb_fkjnxxb set dyzt = %d where djxh = '%s' and dzsphm = '%s' ",
                                 {dyzt, V(payer), V(Text(v, "dzsphm"))}));
    }
    tx.Commit();
  });
  LogLeave("TPaymentMgr.synDzsphmDyzt");
  return ok;
}

}  // namespace velmor
