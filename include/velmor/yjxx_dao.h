// IYjxxDao: the store of payable information (class TYjxxDaoImpl, registered under this
// interface's GUID string): the collected amounts residents' payers owe, one row of sb_dzzjxxb
// per person, levy item and fee period, matched to the roster by agency, person number (cxjmsbbm
// = rybh) and levy item.
//
// Rows travel as JSON arrays of objects whose values are the stored texts; a query condition
// (Tyjxx_qc) is a JSON object: "djxh" (required) and optional "zjlx", "zjhm"/"xm"/"zjtzlsh"
// (part of), "xzjddm"/"sqhczdm" (equal, or stored empty), "jfnd", "fkssqq"/"fkssqz" (a fee period
// the row's must overlap), "zsxmdm"/"zspmdm"/"zszmdm", "zjtzlshList" (array). Every operation
// takes its own database connection, never throws, and on failure answers false with the reason
// in GetErrorMessage and "[TYjxxDaoImpl.<operation>]异常：<detail>" in the debug log. Writes run
// each in one transaction. One object by one thread at a time. Operations are in slot order.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"

namespace velmor {

class IYjxxDao : public IServiceIntf {
 public:
  VELMOR_IID("{9139AE3B-902D-4C3D-9F98-98BEE733CF8D}")

  // A page (from 1; -1 all) of rows joined to the roster: the row's columns with xzjddm, sqhczdm
  // and zszmdm never null, plus rydjxh, xm, zjlx, zjhm and tzjfyf of the matched person (empty
  // when unmatched). Ordered by notice serial, then person.
  virtual bool getData(const std::string& qc, int32_t page, int32_t pageSize, std::string& rows) = 0;
  // Whether any row of the payer names a person the roster lacks.
  virtual bool hasMismatchData(const std::string& djxh, bool& mismatch) = 0;
  // {"zs", "zje"}: row count and amount total of the payer.
  virtual bool getStatistics(const std::string& djxh, std::string& stats) = 0;
  // Replaces the payer's rows with `rows` (JSON array of the answer's rows; zjyxrq kept only
  // when `zjyxrqEnabled`), in one transaction.
  virtual bool updateData(const std::string& djxh, const std::string& rows, bool zjyxrqEnabled) = 0;
  // Distinct matched persons of the payer's rows (of one zjlx; empty: all).
  virtual bool getRyData(const std::string& djxh, const std::string& zjlx, std::string& rows) = 0;
  // Payment years (first four characters of fkssqq) of the payer, ascending, as a JSON array.
  virtual bool getJfnd(const std::string& djxh, std::string& years) = 0;
  // The payer's rows keyed by notice serial: {"<zjtzlsh>": [rows]}.
  virtual bool GetHashDataByZjtzlsh(const std::string& djxh, std::string& hash) = 0;
  virtual bool DeleteData(int32_t id) = 0;
  // Distinct notice serials of the payer, as a JSON array.
  virtual bool GetZjtzlshList(const std::string& djxh, std::string& list) = 0;
  virtual bool clearData(const std::string& djxh) = 0;
  // Replaces the payer's rows with person-matched rows (each also with rydjxh, xm, zjlx, zjhm,
  // xzjddm, sqczdm), in one transaction.
  virtual bool saveRyData(const std::string& djxh, const std::string& rows) = 0;
  // The count of getData's condition.
  virtual bool getCount(const std::string& qc, int32_t& count) = 0;
  // The payer's rows of the persons with the ID numbers in `zjhms` (JSON array), for an import.
  virtual bool GetData_drcx(const std::string& djxh, const std::string& zjhms, std::string& rows) = 0;
  // Distinct {"xzjddm", "sqczdm"} of the payer's rows.
  virtual bool getXzdj_SqczData(const std::string& djxh, std::string& rows) = 0;
  // Distinct {"zsxmdm", "zspmdm", "zszmdm"} of the payer's rows.
  virtual bool getZs3mData(const std::string& djxh, std::string& rows) = 0;
  virtual bool updateBz(int32_t id, const std::string& bz) = 0;
  // The payer's rows of the notice serials in `zjtzlshList` (JSON array).
  virtual bool getJsonData(const std::string& djxh, const std::string& zjtzlshList, std::string& rows) = 0;

 protected:
  ~IYjxxDao() = default;
};

}  // namespace velmor
