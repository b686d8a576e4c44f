// IRcsbDAO: the store of the employer's daily declarations: masters (ds_sbzb), their detail rows
// per levy item and year (ds_sbmxb), the declared persons (ds_sbrymxb, joined to the master by
// mxbid = master id) and the payer-person registrations awaiting declaration (ds_sbjfrydjxxb).
// Registered under this interface's GUID string (class TRcsbDAO).
//
// Records travel as JSON text (UTF-8 objects of the column names; the declaration handed to
// SaveSbData is described in docs/declaration.md). Lists come back as JSON arrays of objects whose
// values are the stored texts. Every operation takes its own database connection, never throws,
// and on failure answers false (or the empty result) with the reason in GetErrorMessage and a
// line "[TRcsbDAO.<operation>]异常：<detail>" in the host's debug log. The saves run each in one
// transaction: a failed save stores nothing. One object is meant for one thread at a time (the
// last-error text is per object). Operations are in slot order (docs/declaration.md lists the
// slots); this store's own operations come after the common ones.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"

namespace velmor {

class IRcsbDAO : public IServiceIntf {
 public:
  VELMOR_IID("{3E1ABB01-CF38-4BC6-88B4-495CD927FC70}")

  // Payment state of the payer's master with that voucher number.
  virtual bool UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, int32_t jkzt) = 0;
  // Declaration state, reason and void time of one master; a declared state (2 or 6) on a master
  // whose total is 0 also sets its payment state to 8.
  virtual bool UpdateSbzt(int32_t id, int32_t sbzt, const std::string& sbyy, const std::string& zfsj) = 0;
  // A void result: UpdateSbzt with the current time as void time.
  virtual bool UpdateZfFk(int32_t id, int32_t sbzt, const std::string& sbyy) = 0;
  // Detail rows of a master, optionally of one levy sub-item (empty: all).
  virtual bool GetSbmxData(int32_t id, const std::string& zspmdm, std::string& rows) = 0;
  // Payment years of the payer's details, ascending, as a JSON array of texts.
  virtual bool GetExistsJfndLb(const std::string& djxh, std::string& years) = 0;
  virtual bool DelJfrydjxx(int32_t id) = 0;
  // Masters of a payer. `filter` is a JSON object with "djxh" (required) and optional "sbzt"
  // (states, "2,6"), "sbrqq"/"sbrqz" (declaration days, yyyy-mm-dd), "yzpzxh", "id". Newest first.
  virtual bool GetSbzbData(const std::string& filter, int32_t page, int32_t pageSize, std::string& rows) = 0;
  virtual bool GetSbzbCount(const std::string& filter, int32_t& count) = 0;
  // Person count and amount total ({"zs", "zje"}) of sb_sbjfrydjxxb for a payer, pmlx and states.
  virtual bool GetStatsData(const std::string& djxh, const std::string& pmlx, const std::string& states,
                            std::string& stats) = 0;
  // Submission feedback of a master: its voucher number (other masters with the same number are
  // removed with their rows) and the persons in error, `errors` being a JSON array of
  // {"jfmxxh", "sbyy"} (the line number of the person within the declaration and the reason).
  virtual bool UpdateSbFk(int32_t id, const std::string& yzpzxh, const std::string& errors) = 0;
  // Voucher numbers of the payer's masters in `states` ("2,6") whose payment state is neither
  // 3 (paid) nor 8 (nothing to pay), as a JSON array of texts.
  virtual bool GetWjkDataLb(const std::string& djxh, const std::string& states, std::string& vouchers) = 0;
  // A void result for one master: state 5 (voided) with the server's reason, stamped with the
  // current time as void time.
  virtual bool UpdateZfFk(int32_t id, const std::string& sbyy) = 0;
  // Registrations of a payer: `filter` is a JSON object with "djxh" and optional rydjxh, xm (part
  // of), zjlx, zjhm (part of), sbjbjgdm, rybh, jfnd, xz_xzjddm, xz_sqhczdm, zsxmdm, zspmdm, zszmdm,
  // xzlxdm. Newest first.
  virtual bool GetJfrydjxxData(const std::string& filter, int32_t page, int32_t pageSize, std::string& rows) = 0;
  virtual bool GetJfrydjxxCount(const std::string& filter, int32_t& count) = 0;
  // Inserts one declaration (master, details, persons) and answers the new master id.
  virtual bool SaveSbData(const std::string& declaration, int32_t& id) = 0;
  // Payment years awaiting declaration (sb_sbjfrydjxxb, states 0, 1, 3) of a payer and pmlx.
  virtual bool GetDtjJfndLb(const std::string& djxh, const std::string& pmlx, std::string& years) = 0;
  // Declared persons of a master, optionally of one levy sub-item and of one check state (jyzt
  // 0 or 1; -1 for both), with the detail's sjly.
  virtual bool GetSbrymxLb(int32_t mxbid, const std::string& zspmdm, int32_t jyzt, int32_t page, int32_t pageSize,
                           std::string& rows) = 0;
  virtual bool GetSbrymxCount(int32_t mxbid, const std::string& zspmdm, int32_t jyzt, int32_t& count) = 0;
  // The second pair: every declared person of a master, with the detail's sjly.
  virtual bool GetSbrymxLb(int32_t mxbid, int32_t page, int32_t pageSize, std::string& rows) = 0;
  virtual bool GetSbrymxCount(int32_t mxbid, int32_t& count) = 0;
  // {"zs", "zje"} over ds_sbjfrydjxxb of a payer.
  virtual bool GetJfdjStatistics(const std::string& djxh, std::string& stats) = 0;
  // Stores a downloaded declaration list: `response` is the decoded response document (XML with
  // code, message and sbqkxxList). Rows whose yxbz is not "Y" are ignored; a master with the same
  // voucher number is updated, others are inserted with their details.
  virtual bool SaveSbfysbqd(const std::string& djxh, const std::string& response) = 0;
  // The same for the list downloaded through the data interface (masters with zrs 0).
  virtual bool saveSbqdCxSjjk(const std::string& djxh, const std::string& response) = 0;
  // [{"id", "yzpzxh"}] of a payer's masters.
  virtual bool GetYzpzxhLb(const std::string& djxh, std::string& rows) = 0;
  // Replaces the person rows of one master with `persons` (JSON array of person objects).
  virtual bool SaveSbrymxb(int32_t mxbid, const std::string& persons) = 0;
  virtual bool UpdateSbxmbMisc(int32_t zbid, int32_t zrs, int32_t sfyrymx, int32_t sfyxzrymx) = 0;
  // Details of the payer's declared masters that have persons not yet downloaded, with the
  // master's yzpzxh, ordered by detail id.
  virtual bool GetWxzrymxData(const std::string& djxh, std::string& rows) = 0;
  // Fills the persons of the payer's masters stored without name (downloaded rows the server
  // sent without one) from the roster, matched by agency and person number: xm, zjlx, zjhm,
  // township, community and special-category code. Answers how many rows were filled.
  virtual bool DealNullXm(const std::string& djxh, int32_t& filled) = 0;
  virtual bool GetSbRymxData(int32_t id, std::string& rows) = 0;
  // The payer's masters whose voucher is in `yzpzxhs` (JSON array of texts), each with
  // "details": its detail rows, only those of `zspmdms` (JSON array; empty: all). Masters
  // without such a detail are left out. Ordered by master id.
  virtual bool QuerySbzbDatas(const std::string& djxh, const std::string& yzpzxhs, const std::string& zspmdms,
                              std::string& rows) = 0;
  // The payer's master submitted under serial `yblsh` (a JSON object of its columns; "{}" when
  // there is none): the electronic declaration's feedback finds its master by it.
  virtual bool GetSbzbByYblsh(const std::string& djxh, const std::string& yblsh, std::string& row) = 0;
  // A refused feedback of one master, in one transaction: the server's reason `sbyy` on the
  // master (state and voucher untouched) and the persons of `errors` (as UpdateSbFk) marked.
  virtual bool UpdateSbyyFk(int32_t id, const std::string& sbyy, const std::string& errors) = 0;
  virtual bool UpdateZzsbJfje(int32_t id, double jfje, double yjfje, double ybtfe, double sjyjfe) = 0;
  // [{"yzpzxh", "hzmxxh"}] of the payer's declared masters (states 2, 6) declared on days
  // sbrqq..sbrqz, then those of the group declarations of the same days.
  virtual bool getAllJfrlxYzmxList(const std::string& djxh, const std::string& sbrqq, const std::string& sbrqz,
                                   std::string& rows) = 0;

  // Operations of this store beyond the list above, appended so the earlier slots stay put.
  //
  // Removes the payer's declared masters of kind "00" that have a detail without fee period,
  // with their details and persons; answers how many masters went.
  virtual bool CleanSbWithoutFkssq(const std::string& djxh, int32_t& removed) = 0;
  //
  // A submitted declaration with its outcome in one transaction: SaveSbData, then its state
  // (the declaration's "sbzt") and reason `sbyy` as UpdateSbzt records them (jkzt 8 for a
  // declared master of total 0), then UpdateSbFk's voucher number and persons in error. A
  // failure at any statement stores nothing.
  virtual bool SaveSbDataFk(const std::string& declaration, const std::string& sbyy, const std::string& yzpzxh,
                            const std::string& errors, int32_t& id) = 0;
  // Fills the empty fee period (fkssqq/fkssqz) of the payer's declared details (states 2, 6) from
  // their persons of the same sub-item (and year, when the detail has one): the earliest start
  // and the latest end. Details without such persons stay as they are. One transaction; answers
  // how many details were filled.
  virtual bool FillNullFkssq(const std::string& djxh, int32_t& filled) = 0;
  // The outcome of a submission journalled before it was sent, in one transaction: the state
  // and reason as UpdateSbzt records them (jkzt 8 for a declared master of total 0), then
  // UpdateSbFk's voucher number and persons in error. A failure stores nothing.
  virtual bool UpdateSbztFk(int32_t id, int32_t sbzt, const std::string& sbyy, const std::string& yzpzxh,
                            const std::string& errors) = 0;
  // Removes one master with its details and persons (a journalled submission the server
  // refused). One transaction.
  virtual bool DeleteSbData(int32_t id) = 0;

 protected:
  ~IRcsbDAO() = default;
};

}  // namespace velmor
