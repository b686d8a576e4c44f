// TPaymentDAO: the payment store (IPaymentDAO), registered as row 7 of the service table. Reads
// are in payment_dao_reads.cpp, writes in payment_dao_writes.cpp, the download of server lines in
// payment_download.cpp. Every value is quote-doubled; each operation takes its own connection
// and catches every failure at its boundary. One object is used by one thread at a time.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "framework/boundary.h"
#include "store/db_access.h"
#include "store/sql.h"
#include "store/sql_toolkit.h"
#include "velmor/payment_dao.h"

namespace velmor {

class TPaymentDAO : public ServiceImpl<TSBBaseObj, IPaymentDAO> {
 public:
  VELMOR_PUBLISHED(TPaymentDAO, TSBBaseObj)

  bool GetData(const std::string& condition, int32_t jkfs1, int32_t jkfs2, int32_t page, int32_t pageSize,
               std::string& rows) override;
  bool GetCount(const std::string& condition, int32_t jkfs1, int32_t jkfs2, int32_t& count) override;
  bool GetPrintData(const std::string& condition, int32_t jkfs, int32_t page, int32_t pageSize,
                    std::string& rows) override;
  bool GetPrintCount(const std::string& condition, int32_t jkfs, int32_t& count) override;
  bool CommitData(const std::string& lines, int32_t jkfs, int32_t jfrlx, const std::string& xm,
                  const std::string& zjlx, const std::string& zjhm) override;
  // CommitData for lines handed over one at a time instead of in one text: `lines(emit)` calls
  // `emit` with each line's JSON object text, in order, on the store's worker thread, so it must
  // use neither the store nor the host. The payment services store their large results this way:
  // each line is written while the rows before it are stored.
  using LineEmit = std::function<void(std::string_view line)>;
  bool CommitLines(const std::function<void(const LineEmit&)>& lines, int32_t jkfs, int32_t jfrlx,
                   const std::string& xm, const std::string& zjlx, const std::string& zjhm);
  bool UpdateDyzt(int32_t dyzt, const std::string& djxh, const std::string& dzsphm,
                  const std::string& zsjgDm) override;
  bool UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, int32_t jkzt) override;
  bool DeleteByDzsphm(const std::string& dzsphm) override;
  bool GetWjkYhjkpzLb(const std::string& djxh, int32_t jkfs, int32_t jkzt1, int32_t jkzt2, int32_t jkzt3,
                      int32_t dyzt, std::string& list) override;
  bool GetDataByDzsphm(const std::string& djxh, const std::string& dzsphm, std::string& rows) override;
  bool SaveCsjkxx(const std::string& lines, const std::string& yblsh, int32_t jkfs, int32_t jfrlx,
                  const std::string& xm, const std::string& zjlx, const std::string& zjhm) override;
  bool GetCsjkxx(const std::string& djxh, int32_t jfrlx, std::string& groups) override;
  bool DeleteCsjkxx(const std::string& yblsh) override;
  bool GetWdySfxyjkJl(const std::string& djxh, const std::string& fkssqq, const std::string& fkssqz, int32_t jkfs,
                      int32_t jkzt, std::string& rows) override;
  bool GetMaxDzjfpzNo(const std::string& djxh, std::string& maxNo) override;
  bool SaveDzjfpz(const std::string& record) override;
  bool UpdateDzjfpzDy(int32_t id) override;
  bool GetDzjfpzJlCount(const std::string& condition, int32_t& count) override;
  bool GetDzjfpzJlData(const std::string& condition, int32_t page, int32_t pageSize, std::string& rows) override;
  bool GetDzjfpzMxData(int32_t id, std::string& rows) override;
  bool UpdateJkzt(const std::string& djxh, const std::string& dzsphm, const std::string& zsjgDm,
                  int32_t jkzt) override;
  bool UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, const std::string& zsxmDm,
                  const std::string& zspmDm, const std::string& zszmDm, int32_t jkzt,
                  const std::string& sbyy) override;
  bool GetZspmdmList(const std::string& djxh, int32_t jkfs, const std::string& jkztList, int32_t jfrlx,
                     std::string& list) override;
  bool SaveJfmxList(const std::string& lines, const std::string& djxh, const std::string& skssqq,
                    const std::string& skssqz, const std::string& jkrqq, const std::string& jkrqz) override;
  bool GetZs10305CxList(int32_t jkfs, const std::string& jkztList, int32_t dyzt, std::string& list) override;
  bool UpdateJkztBy10305(const std::string& dzsphm, int32_t jkzt, const std::string& sbyy) override;

 private:
  // The boundary of an operation: "[TPaymentDAO.<op>]异常：" in the log; the user text is the
  // store's own failure text, else prefix (+ the failure's text when appendText).
  template <class F>
  bool Guard(std::string_view op, const char* prefix, bool appendText, F&& body) {
    ErrorMessage.clear();
    return Guarded<StoreError>({"TPaymentDAO", op}, {prefix, appendText}, &ErrorMessage, false,
                               std::forward<F>(body));
  }
};

namespace payment {

using Json = nlohmann::ordered_json;

// The payer argument, or the portal agent's current payer when it is empty.
std::string PayerOr(const std::string& djxh);
// The current payer for lines that name none, asked once where the object is made (the host's
// thread): the lines are read on a worker, which must not reach the host. A failure to ask is
// raised by Djxh, where a line needs the payer, as asking there would have raised it.
class Payer {
 public:
  Payer();
  const std::string& Djxh() const;

 private:
  std::string djxh_;
  std::exception_ptr failure_;
};
// A JSON text as an object ("" gives an empty one) / an array; anything else raises.
Json ObjectOf(const std::string& text, const char* what);
Json ArrayOf(const std::string& text, const char* what);
// `text` when the JSON cursor reads it whole as an array, else the text of the general parser's
// tree of it, kept in `normal` (the parser raises what ArrayOf raises): checked whole before any
// element is taken, so a bad text touches nothing.
std::string_view CheckedArray(const std::string& text, const char* what, std::string& normal);
// A member read as a number: 0 when absent, empty or unreadable.
double NumberOf(const Json& o, const char* key);
int32_t IntOf(const Json& o, const char* key);
// " LIMIT off, size" when page and size are both above 0, else nothing (all rows).
SqlFragment PageClause(int32_t page, int32_t pageSize);
// A row of sb_fkjnxxb as handed out: yhhbmc as yhhbMc, dzjfpzdyID only when set.
Json LineRow(Json row);
// The same change for rows written as text by RowsJson.
const RowShape& LineShape();
// The statuses of a JSON array text as "a,b,c" (integers only; raises otherwise).
SqlFragment StatusList(const std::string& jkztList);
// The payer-type clause: 0 takes the unit's rows and those of no type.
SqlFragment JfrlxClause(const char* column, int32_t jfrlx);
// Stores the lines `lines(emit)` hands over, as CommitData stores an array of them: the
// plug-in's own store takes them one at a time (CommitLines: `lines` then runs on its worker); a
// store the host put in its place gets them as one JSON array text, `room` bytes reserved for it.
// JoinedLinesRoom is that room for `count` lines read as `textSize` bytes, each coming back with
// the few members a deduction or a voucher adds.
size_t JoinedLinesRoom(size_t textSize, size_t count);
bool CommitLinesTo(IPaymentDAO& store, const std::function<void(const TPaymentDAO::LineEmit&)>& lines, size_t room,
                   int32_t jkfs, int32_t jfrlx, const std::string& xm, const std::string& zjlx,
                   const std::string& zjhm);

}  // namespace payment
}  // namespace velmor
