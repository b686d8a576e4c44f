// IJkService: the payment manager (class TPaymentMgr, registered under this interface's GUID
// string). It pays declared fees still owed (arrears) through the server, by deduction under a
// tripartite agreement (jkfs 1, "0008") or by bank-side voucher (jkfs 3, "0010", voided by
// "0011"), asks the agreements ("0006"), the arrears per tax office ("0007") and the state of a
// deduction ("0014"), and keeps every payment in the payment store (IPaymentDAO), whose
// operations it also passes through (same arguments; the store's error text becomes its own).
//
// Records and lists are JSON texts (docs/payment.md). Failures never raise: an operation answers
// false (or -1) with the user message as its last-error text (GetErrorMessage) and logs
// "[TPaymentMgr.<op>]异常：<text>". Server operations advance the given progress view (may be
// null). Runs on the caller's thread; one object is used by one thread at a time. Operations
// are in slot order after IServiceIntf's two.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"
#include "velmor/progress_view.h"

namespace velmor {

// Outcomes of SfyxJk and PrintJkpz.
inline constexpr int32_t kJkDone = 0;
inline constexpr int32_t kJkUnknown = 1;  // the server timed out ("10042"): ask Kkqkcx later
inline constexpr int32_t kJkFailed = -1;

class IJkService : public IServiceIntf {
 public:
  VELMOR_IID("{65775C94-8F12-4C41-8819-2FD389ADB92A}")
  // 1 ("0006"): the payer's tripartite agreements (the server's sfxyList rows); an empty
  // kjywrdjxh asks for the current payer's.
  virtual bool GetSfxyLb(const std::string& kjywrdjxh, const std::string& dyfs, IProgressView* progress,
                         std::string& agreements) = 0;
  // 2 ("0007"): arrears lines of the payer per tax office. source 1 sends `offices` (array of
  // {zgswksDm, zgswksMc}) as given; otherwise the offices of the enabled business lines. A
  // failing office leaves its reason in the last-error text while the call succeeds.
  virtual bool GetQfxxLb(int32_t source, const std::string& djxh, const std::string& condition,
                         const std::string& offices, IProgressView* progress, std::string& arrears) = 0;
  // 3 ("0008"): pays the selected arrears lines by deduction under `agreement` (sfxyh, jkzh,
  // yhyywdMc); jfrlx 1: for the person {djxh, xm, sfzjlxDm, sfzjhm}. result kJkDone, kJkUnknown
  // (timed out: the lines are kept as pending, see GetCsjkxx), kJkFailed.
  virtual bool SfyxJk(const std::string& lines, const std::string& agreement, const std::string& person,
                      int32_t jfrlx, IProgressView* progress, int32_t& result) = 0;
  // 4 ("0010"): issues bank-side vouchers for the selected lines (account yhzh, zhmc, yhhbMc).
  virtual bool PrintJkpz(const std::string& lines, const std::string& account, IProgressView* progress,
                         int32_t& result) = 0;
  // 5 ("0011"): voids a voucher {zsjgDm, dzsphm}.
  virtual bool JkpzZf(const std::string& djxh, const std::string& voucher, IProgressView* progress) = 0;
  // 6 ("0014"): the server's view of a levy document's payment {wjkje, yjkje}.
  virtual bool Kkqkcx(const std::string& djxh, const std::string& yzpzxh, IProgressView* progress,
                      std::string& answer) = 0;
  // 7-12: the store's reads.
  virtual bool GetCount(const std::string& condition, int32_t jkfs1, int32_t jkfs2, int32_t& count) = 0;
  virtual bool GetData(const std::string& condition, int32_t jkfs1, int32_t jkfs2, int32_t page, int32_t pageSize,
                       std::string& rows) = 0;
  virtual bool GetPrintCount(const std::string& condition, int32_t jkfs, int32_t& count) = 0;
  virtual bool GetPrintData(const std::string& condition, int32_t jkfs, int32_t page, int32_t pageSize,
                            std::string& rows) = 0;
  virtual bool GetDataByDzsphm(const std::string& djxh, const std::string& dzsphm, std::string& rows) = 0;
  virtual bool GetWjkYhjkpzLb(const std::string& djxh, int32_t jkfs, int32_t jkzt1, int32_t jkzt2, int32_t jkzt3,
                              int32_t dyzt, std::string& list) = 0;
  // 13: sets jkzt of the levy document from a Kkqkcx answer (3 paid, 2 part paid, else 0) and
  // settles the timed-out deductions of its lines.
  virtual bool SaveKkqkcxResult(const std::string& djxh, const std::string& yzpzxh, const std::string& answer) = 0;
  // 14: the voucher workbook of the records (one block per dzsphm), filled from the template
  // M8/Templates/Export/银行端缴税凭证.xlsx into M8/Temp/ under a new name (`file`) and handed to
  // the host's document preview. Without a viewer the call succeeds, keeps the file and leaves
  // "您未安装Excel，无法预览" as its last-error text.
  virtual bool ExportXls(const std::string& records, std::string& file) = 0;
  // 15-22: the store's timed-out deductions and certificate records.
  virtual bool GetCsjkxx(const std::string& djxh, int32_t jfrlx, std::string& groups) = 0;
  virtual bool GetWdySfxyjkJl(const std::string& djxh, const std::string& fkssqq, const std::string& fkssqz,
                              int32_t jkfs, int32_t jkzt, std::string& rows) = 0;
  virtual bool GetMaxDzjfpzNo(const std::string& djxh, std::string& maxNo) = 0;
  virtual bool SaveDzjfpz(const std::string& record) = 0;
  virtual bool UpdateDzjfpzDy(int32_t id) = 0;
  virtual bool GetDzjfpzJlCount(const std::string& condition, int32_t& count) = 0;
  virtual bool GetDzjfpzJlData(const std::string& condition, int32_t page, int32_t pageSize, std::string& rows) = 0;
  virtual bool GetDzjfpzMxData(int32_t id, std::string& rows) = 0;
  // 23: seals the certificate's PDF {pdfFile, id, ...} through the host's seal service ("866")
  // and records the print: id > 0 counts one more print of that record, otherwise the record
  // {dycs, no, sign, list} is saved. A failed seal records nothing.
  virtual bool DzjfpzElecSeal(const std::string& record, IProgressView* progress) = 0;
  // 24 ("0035"): the natural-person fee payment list.
  virtual bool GetZrrSbfJfQd(const std::string& qydjxh, const std::string& djxh, const std::string& fkssqq,
                             const std::string& fkssqz, IProgressView* progress, std::string& list) = 0;
  // 25: prepares the two home-page notices (arrears exist; arrears overdue) from this manager's
  // own arrears, when the functions "M8300-01-05-01-00" and "NONFUNCTION004" are enabled (the
  // first for the payer's scheme setting too). Never fails: no notice is the worst outcome.
  virtual bool CheckQfxxNotice(IProgressView* progress) = 0;
  // 26: voucher states (dyzt) brought in step with the server's, for the vouchers issued between
  // the first and the last issue day stored, through the host's ISbfjnService; one transaction.
  // The view (may be null) shows "进度" / "正在处理，请稍等".
  virtual bool synDzsphmDyzt(const std::string& djxh, IProgressView* progress) = 0;
  // 27: sends the prepared notices (or their "delete" forms) to the home-page window whose
  // handle is the system parameter "homepage_handle": messages 0x8511 and 0x8512. False, naming
  // the cause, when no home-page window is known.
  virtual bool SendQfxxNotice() = 0;
  // 28-31: the store's status updates, code list and download.
  virtual bool UpdateJkzt(const std::string& vouchers, int32_t jkzt) = 0;  // each {djxh, dzsphm, zsjgDm}
  virtual bool UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, const std::string& zsxmDm,
                          const std::string& zspmDm, const std::string& zszmDm, int32_t jkzt,
                          const std::string& sbyy) = 0;
  virtual bool GetZspmdmList(const std::string& djxh, int32_t jkfs, const std::string& jkztList, int32_t jfrlx,
                             std::string& list) = 0;
  virtual bool SaveJfmxList(const std::string& lines, const std::string& djxh, const std::string& skssqq,
                            const std::string& skssqz, const std::string& jkrqq, const std::string& jkrqz) = 0;
  // 32-35: "0035" and "0237" in two steps: submit (out serial), then collect (ready false while
  // the server has not answered).
  virtual bool synZrrjfqdCx(const std::string& qydjxh, const std::string& djxh, const std::string& fkssqq,
                            const std::string& fkssqz, std::string& yblsh) = 0;
  virtual bool synZrrjfqdCxFk(const std::string& yblsh, bool& ready, std::string& list) = 0;
  virtual bool synCxjmlssbfJfqdCx(const std::string& qydjxh, const std::string& djxh, const std::string& fkssqq,
                                  const std::string& fkssqz, std::string& yblsh) = 0;
  virtual bool synCxjmlssbfJfqdCxFk(const std::string& yblsh, bool& ready, std::string& answer) = 0;
  // 36, 37: the store's voucher list and status by voucher.
  virtual bool GetZs10305CxList(int32_t jkfs, const std::string& jkztList, int32_t dyzt, std::string& list) = 0;
  virtual bool UpdateJkztBy10305(const std::string& dzsphm, int32_t jkzt, const std::string& sbyy) = 0;

 protected:
  ~IJkService() = default;
};

}  // namespace velmor
