// The records of the person detail and unpaid views: one enrolment of a person with an agency
// (TRycbmxEntity), one insured item (TRycbxmEntity), one row of the unpaid list
// (TEmployeeUnpaidEntity), and the filters of their queries. Plain values, copied freely; no
// thread rule of their own.
#pragma once

#include <cstdint>
#include <string>

namespace velmor {

// One enrolment of a person with an agency (sb_rycbjgxxb).
struct TRycbmxEntity {
  std::string sbjbjgdm, rybh, sbhm, xzqhdm, sqhczdm, gxsj;
};

// One insured item of a person (sb_rycbxmb) with the validity of its enrolment (cbjgYxbz) and
// the label the detail service gives it ("有效" / "无效"; empty from the store).
struct TRycbxmEntity {
  std::string rydjxh, rybh, sbjbjgdm, xzid, zsxmdm, zspmdm, zszmdm, tcqdm, xzjddm, sqhczdm, cbrytslbdm;
  std::string ksjfyf, tzjfyf, yxbz, gxsj, xzlxdm, cbjgYxbz, djnd, yjfe;
  std::string yxbzmc;
};

enum class CbxmValidity { kAll, kValid, kInvalid };

// The optional conditions of the insured items of one person; empty texts select everything.
struct CbxmDetailFilter {
  std::string rybh, sbjbjgdm, djnd;
  CbxmValidity validity = CbxmValidity::kAll;
};

// One row of the unpaid list: a valid insured item of a person without a payment registration
// in the year asked.
struct TEmployeeUnpaidEntity {
  std::string rydjxh, xm, zjlx, zjhm, phonenumber, fullname;
  std::string sbjbjgdm, rybh, xzid, zsxmdm, zspmdm, zszmdm, pmlx, xzjddm, sqhczdm, cbrytslbdm;
  std::string ksjfyf, tzjfyf;
};

// The conditions of the unpaid list. jfnd is the year asked ("yyyy"); the other texts are
// applied only when given (xm and zjhm as patterns), fzid only when not -1.
struct UnpaidFilter {
  std::string jfnd, xm, zjlx, zjhm, pmlx, xzjddm, sqhczdm;
  int32_t fzid = -1;
};

}  // namespace velmor
