// TGrsbfjn's bank channel: an order at the bank's payment platform and its state.
#include <cmath>
#include <cstdio>

#include "business/date_time.h"
#include "codec/text_utils.h"
#include "framework/host_access.h"
#include "onlinepay/bank_channel.h"
#include "onlinepay/grsbfjn.h"
#include "onlinepay/grsbfjn_dao.h"
#include "store/row_values.h"

namespace velmor {

namespace {

using onlinepay::BankParams;
using onlinepay::Json;
using service::OpRefusal;
using service::Text;

constexpr service::OpRow kOrder{kGrClass, "Sbfjn", "", "生成缴费订单异常："};
constexpr service::OpRow kState{kGrClass, "DoZfztCx", "", "订单状态查询异常："};
constexpr const char* kOddState = "订单状态异常";
// Minutes a bank order stays payable after it was made.
constexpr int kOrderMinutes = 30;

// A point in time as "yyyy-mm-dd hh:nn:ss" (the stores' fixed form, never the locale's).
std::string TimeText(const DateTimeParts& p) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                p.second);
  return buf;
}

// The bank's "yyyymmddhhnnss" as the order's time and the time it stops being payable
// (kOrderMinutes later); false for anything that is no such time.
bool OrderTimes(const std::string& t, std::string& made, std::string& timesOut) {
  if (t.size() != 14 || t.find_first_not_of("0123456789") != std::string::npos) return false;
  DateTimeParts p;
  p.year = std::stoi(t.substr(0, 4));
  p.month = std::stoi(t.substr(4, 2));
  p.day = std::stoi(t.substr(6, 2));
  p.hour = std::stoi(t.substr(8, 2));
  p.minute = std::stoi(t.substr(10, 2));
  p.second = std::stoi(t.substr(12, 2));
  TDateTime v{};
  DateTimeParts later;
  if (!TryEncodeDateTime(p, v) || !DecodeDateTime(v + kOrderMinutes / 1440.0, later)) return false;
  made = TimeText(p);
  timesOut = TimeText(later);
  return true;
}

std::string Amount(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

// The bank's message of a failed reply, or kBadReply when it gives none.
[[noreturn]] void ReplyFailed(const Json& reply) {
  const std::string text = TrimBlanks(Text(reply, "Rsp_Inf"));
  throw OpRefusal(text.empty() ? onlinepay::kBadReply : text);
}

bool Succeeded(const Json& reply) { return Text(reply, onlinepay::kResultMarker) == onlinepay::kResultOk; }

// The order's lines with their total; each line needs its item codes and a positive amount.
double CheckLines(const Json& lines) {
  if (!lines.is_array() || lines.empty()) throw OpRefusal("缴费明细为空。");
  double total = 0;
  for (const Json& l : lines) {
    if (!l.is_object() || Text(l, "zsxmdm").empty() || Text(l, "zspmdm").empty())
      throw OpRefusal("缴费明细缺少征收项目或征收品目。");
    const double jfje = RowNumber(l, "jfje");
    if (!(jfje > 0)) throw OpRefusal("缴费金额必须大于0。");
    total += jfje;
  }
  return std::round(total * 100) / 100;
}

}  // namespace

bool TGrsbfjn::Sbfjn(const std::string& order, std::string& result, std::string& message) {
  result = "{}";
  return Op(kOrder, message, [&] {
    const Json o = service::ParseParams(order);
    for (const char* key : {"sbjbjgdm", "rybh", "zjhm"})
      if (Text(o, key).empty()) throw OpRefusal(std::string("缺少参数：") + key);
    const Json& lines = o.contains("lines") ? o["lines"] : Json();
    const double total = CheckLines(lines);
    const std::string djxh = CurrentDjxh();
    const onlinepay::BankSettings s = onlinepay::ReadBankSettings(djxh);
    const std::string lsh = NewSerialNo();
    const std::string spddh = Text(o, "spddh").empty() ? lsh : Text(o, "spddh");
    const std::string ksny = Text(o, "ksny");
    const BankParams params = {
        {"VNo", "2"},
        {"Sgn_Algr", "SHA256withRSA"},
        {"IttParty_Stm_ID", s.qdbh},
        {"IttParty_Tms", LocalTimeText("%Y%m%d%H%M%S%f")},
        {"IttParty_Jrnl_No", lsh},
        {"Py_Chnl_Cd", "1"},
        {"OnLn_Ofln_IndCd", "1"},
        {"Cmdty_Ordr_No", spddh},
        {"Opr_No", ""},
        {"Usr_ID", Text(o, "rydjxh")},
        {"Cst_Nm", Text(o, "xm")},
        {"Crdt_Tp", Text(o, "zjlx")},
        {"Crdt_No", Text(o, "zjhm")},
        {"MblPh_No", Text(o, "sjhm")},
        {"Email", Text(o, "email")},
        {"Ccy", "156"},
        {"PgFc_Ret_URL_Adr", ""},
        {"Fee_Itm_Cd", onlinepay::FeeItemCode(Text(o, "pmlx"))},
        {"Fee_Itm_Prj_Nm", "社会保险费"},
        {"RvPyUnt_Cd", s.skdwdm},
        {"RvPyUnt_Nm", s.skdwmc},
        {"Fee_Itm_Prj_Usr_No", Text(o, "zjhm")},
        {"Fee_Itm_Prj_Amt", Amount(total)},
        {"CHNL_FLOW_NO", lsh},
        {"Tax_Ahr_Cd", Text(o, "swjgdm")},
        {"PyF_Ind", "1"},
        {"PyF_Psn_Tp", "0"},
        {"Pyf_Dtl_TrcNo", lsh},
        {"SocIns_TrcNo", lsh},
        {"SocIns_Hdl_Inst_Cd", Text(o, "sbjbjgdm")},
        {"Entp_Stff_ID", Text(o, "rybh")},
        {"SocIns_Cvr_Cd", Text(lines.front(), "zsxmdm")},
        {"PyF_Crdnlt", "null"},
        {"Strt_YrMo", ksny.empty() ? "0000" : ksny},
        {"End_YrMo", Text(o, "zzny")},
        {"Rmrk1", s.fxdm},
        {"Rmrk2", s.fxmc},
    };
    const Json reply = onlinepay::PostToBank(s, onlinepay::kOrderPath, params, "TGrsbfjn.Sbfjn返回：");
    if (!Succeeded(reply)) ReplyFailed(reply);
    // A success must name our order, its payment order and the cashier page; anything else is
    // not the bank's answer to this order.
    const std::string zfddh = Text(reply, "Py_Ordr_No"), syturl = Text(reply, "CshDk_URL");
    std::string ddscrq, ddcssj;
    if (zfddh.empty() || syturl.empty() || !OrderTimes(Text(reply, "Ordr_Gen_Tm"), ddscrq, ddcssj) ||
        Text(reply, "Cmdty_Ordr_No") != spddh)
      throw OpRefusal(onlinepay::kBadReply);
    Json rows = Json::array();
    for (const Json& l : lines) {
      rows.push_back({{"djxh", djxh}, {"spddh", spddh}, {"zfddh", zfddh}, {"ddscrq", ddscrq}, {"ddcssj", ddcssj},
                      {"syturl", syturl}, {"ddzt", kDdztUnpaid}, {"lsh", lsh}, {"rydjxh", Text(o, "rydjxh")},
                      {"sbjbjgdm", Text(o, "sbjbjgdm")}, {"rybh", Text(o, "rybh")},
                      {"xz_xzjddm", Text(o, "xz_xzjddm")}, {"xz_sqhczdm", Text(o, "xz_sqhczdm")},
                      {"jfnd", Text(o, "jfnd")}, {"pmlx", Text(o, "pmlx")}, {"zsxmdm", Text(l, "zsxmdm")},
                      {"zspmdm", Text(l, "zspmdm")}, {"zszmdm", Text(l, "zszmdm")}, {"jfje", Text(l, "jfje")},
                      {"xm", Text(o, "xm")}, {"zjlx", Text(o, "zjlx")}, {"zjhm", Text(o, "zjhm")}});
    }
    Ref<IGrsbfjnDAO> dao = onlinepay::GrDao();
    if (!dao->SaveJfxx(rows.dump())) throw OpRefusal(dao->GetErrorMessage());
    result = Json{{"spddh", spddh}, {"zfddh", zfddh},   {"syturl", syturl},
                  {"ddscrq", ddscrq}, {"ddcssj", ddcssj}, {"jfje", Amount(total)}}
                 .dump();
  });
}

bool TGrsbfjn::DoZfztCx(const std::string& spddh, const std::string& zfddh, std::string& result,
                        std::string& message) {
  result = "{}";
  return Op(kState, message, [&] {
    if (spddh.empty() || zfddh.empty()) throw OpRefusal("商户订单号或支付订单号为空。");
    const std::string djxh = CurrentDjxh();
    const onlinepay::BankSettings s = onlinepay::ReadBankSettings(djxh);
    const BankParams params = {
        {"VNo", "2"}, {"Sgn_Algr", "SHA256withRSA"}, {"Cmdty_Ordr_No", spddh}, {"Py_Ordr_No", zfddh}};
    const Json reply = onlinepay::PostToBank(s, onlinepay::kEnquiryPath, params, "TGrsbfjn.DoZfztCx返回：");
    if (!Succeeded(reply)) ReplyFailed(reply);
    if (Text(reply, "Cmdty_Ordr_No") != spddh || Text(reply, "Py_Ordr_No") != zfddh)
      throw OpRefusal(onlinepay::kBadReply);
    const std::string state = Text(reply, "Ordr_StCd");
    int32_t ddzt = 0;
    if (state == "1") ddzt = kDdztUnpaid;
    else if (state == "2") ddzt = kDdztPaid;
    else if (state == "3") ddzt = kDdztClosed;
    else throw OpRefusal(kOddState);
    Ref<IGrsbfjnDAO> dao = onlinepay::GrDao();
    if (!dao->UpdateDdzt(djxh, spddh, zfddh, ddzt)) throw OpRefusal(dao->GetErrorMessage());
    result = Json{{"spddh", spddh}, {"zfddh", zfddh}, {"ddzt", ddzt}}.dump();
  });
}

}  // namespace velmor
