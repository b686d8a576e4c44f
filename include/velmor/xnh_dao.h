// IXnhDAO: the store of the payer's scheme account (class TXnhDAO): offices (sb_xnhjbxxb),
// participating units (sb_xnhcbjgxxb) and their insured items (sb_xnhcbxmb), plus reads of the
// group-account tables (ds_jtbzhcbxxb, ds_jtbzhcbxzb). Registered under this interface's GUID.
//
// Results: lists are JSON arrays (of objects keyed by column, or of texts for one-column lists).
// Failures never raise: the line "[TXnhDAO.<op>]异常：<text>" goes to the debug log, the user
// message (the operation's own, or "数据库查询失败。" / "数据库更新失败。") becomes the last-error
// text, and the answer is false, -1, or "[]". Every value is quote-doubled in its statement.
// Each call takes its own connection; one object is used by one thread at a time.
// Operations are in slot order after the two of IServiceIntf; 24 on are host additions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmor/business_object.h"
#include "velmor/xnh_types.h"

namespace velmor {

class IXnhDAO : public IServiceIntf {
 public:
  VELMOR_IID("{D5DBEDEC-D449-4E4F-A1B0-39693CABF806}")
  // 1: true when the payer has an account row.
  virtual bool HasXnhDjxx(const std::string& djxh) = 0;
  // 2: replaces the payer's three tables by `offices`, in one transaction.
  virtual bool SaveXnhDjxx(const std::string& djxh, const std::vector<XnhJbxx>& offices, std::string& message) = 0;
  // 3: the office rows.
  virtual std::string GetXnhJbxx(const std::string& djxh) = 0;
  // 4: distinct tax sections (zgswksDm, zgswksMc).
  virtual std::string getZgswksDmLb(const std::string& djxh) = 0;
  // 5: distinct communities, of one street when xzjddm is given.
  virtual std::string getSqhczData(const std::string& djxh, const std::string& xzjddm) = 0;
  // 6: valid units with their items and the office's flbsdm, of one agency when sbjbjgdm is
  // given; paged (page from 1, -1 all).
  virtual std::string getCbxxData(const std::string& djxh, const std::string& sbjbjgdm, int32_t page,
                                  int32_t pageSize) = 0;
  // 7: offices of the valid units.
  virtual std::string GetSwjgList(const std::string& djxh) = 0;
  // 8: streets of an agency.
  virtual std::string GetXzjdData(const std::string& djxh, const std::string& sbjbjgdm) = 0;
  // 9-11: levy items, sub-items, details of an agency's valid units.
  virtual std::string GetZsxmDmList(const std::string& djxh, const std::string& sbjbjgdm) = 0;
  virtual std::string GetZspmDmList(const std::string& djxh, const std::string& sbjbjgdm,
                                    const std::string& zsxmdm) = 0;
  virtual std::string GetZszmDmList(const std::string& djxh, const std::string& sbjbjgdm, const std::string& zsxmdm,
                                    const std::string& zspmdm) = 0;
  // 12: stores the answered modes ("00" -> "01", "01" -> "02", else "00") and sets "00" on the
  // payer's items without a mode, in one transaction.
  virtual bool saveZjms(const std::string& djxh, const std::vector<XnhZjmsEntry>& entries, std::string& message) = 0;
  // 13: the payer's items in total, with mode "01" and with mode "02".
  virtual bool getZjms(const std::string& djxh, int32_t& total, int32_t& mode01, int32_t& mode02) = 0;
  // 14: agencies of the valid units, of one unit when dwbh is given.
  virtual std::string GetSbjbjgList(const std::string& djxh, const std::string& dwbh) = 0;
  // 15: distinct (xzjddm, zspmdm) of the payer's items.
  virtual std::string getXzjdZspm(const std::string& djxh) = 0;
  // 16: unit numbers by validity flag and agency; "查询单位编号失败。".
  virtual std::string GetDwbhList(const std::string& djxh, const std::string& yxbz, const std::string& sbjbjgdm) = 0;
  // 17: the agencies of operation 14 as one text joined with "\r\n".
  virtual std::string GetSbjbjgText(const std::string& djxh) = 0;
  // 18: units with their items still paid in `month` ("yyyy-mm"; no last month counts as open).
  virtual std::string getYxCbxx(const std::string& djxh, const std::string& month) = 0;
  // 19: offices of the valid group accounts.
  virtual std::string getJtbzhSwjgDmList(const std::string& djxh) = 0;
  // 20: levy items by payer-type marks ("5", "8", "9"), optionally of one unit and agency.
  virtual std::string getAllJfrZsxmList(const std::string& djxh, const std::vector<std::string>& marks,
                                        const std::string& dwbh, const std::string& sbjbjgdm) = 0;
  // 21: distinct (sbjbjgdm, dwbh) of the valid units.
  virtual std::string getSbjbjgDwbhList(const std::string& djxh) = 0;
  // 22: [{"dm": unit, "jfrlx": mark}] by marks, optionally by validity flag.
  virtual std::string getAllDwbhList(const std::string& djxh, const std::vector<std::string>& marks,
                                     const std::string& yxbz) = 0;
  // 23: distinct (zsxmDm, zspmDm, zszmDm) of the group accounts of the given units.
  virtual std::string getJtbzhZspmZszmList(const std::string& djxh, const std::vector<std::string>& units) = 0;
  // 24: distinct office, agency, unit, street, community, item, sub-item, detail of valid units.
  virtual std::string queryXnhCbxx(const std::string& djxh, const XnhCbxxFilter& filter) = 0;
  // 25: the insurance types (distinct xzlxDm) of the payer's valid units, sorted.
  virtual std::vector<std::string> GetXzlxList(const std::string& djxh) = 0;
  // 26, 27: rows of " select count(1) as zs from sb_xnhjbxxb where glbz = '1' " and of the same
  // with flbsdm = '0107' (for the payer); -1 on failure.
  virtual int32_t CountGlbz(const std::string& djxh) = 0;
  virtual int32_t CountYbgzdj(const std::string& djxh) = 0;
  // 28: SaveXnhDjxx for an account from either download: the rows are replaced in one
  // transaction, and the fields the source does not carry are kept from the payer's previous
  // rows of the same office (swjgdm), unit (sbjbjgdm, dwbh) and item (unit and xzlxDm, zsxmdm,
  // zspmdm, zszmdm). SaveXnhDjxx is this with kAccount.
  virtual bool SaveXnhDjxxFrom(const std::string& djxh, const std::vector<XnhJbxx>& offices, XnhSource source,
                               std::string& message) = 0;
  // 29: every insured item of the payer, of valid and ended units alike (the collection-mode
  // query asks about all of them).
  virtual std::string getAllCbxm(const std::string& djxh) = 0;

 protected:
  ~IXnhDAO() = default;
};

}  // namespace velmor
