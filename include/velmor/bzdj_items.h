// The records of the collective and government payers (include/velmor/bzdj.h) and the condition
// of their reads. Every record is a row of one family, carrying exactly its table's columns by name
// as text, through the row-record interface of the module (IJfdjItem, velmor/jfdj_items.h); a
// list holds the records of one family. The families and their classes:
//
//   item class        list class         rows of
//   TBzDjItem         TBzDjItems         ds_jtbz (prepared line)
//   TBzDjjlItem       TBzDjjlItems       ds_jtbzhsbjlb (declaration record)
//   TBzDjjlmxItem     TBzDjjlmxItems     ds_jtbzhsbjlmxb (record line)
//   TBzDjjlrymxItem   TBzDjjlrymxItems   ds_jtbzhsbjlmxb (person line of a record, by xm / zjhm)
//   TBzDjcbxzItem     TBzDjcbxzItems     ds_jtbzhcbxxb joined with ds_jtbzhcbxzb (insured line)
//   TBzDjqdItem       TBzDjqdItems       ds_jtbzhsbjlqdb (declaration list entry)
//   TCxjmJbxx         TCxjmJbxxs         the payer of the downloaded registration
//   TCxjmCbxx         TCxjmCbxxs         ds_jtbzhcbxxb (a unit of the registration)
//   TCxjmCbxz         TCxjmCbxzs         ds_jtbzhcbxzb (an insured line of a unit)
//
// The query condition TBzDjQc (IBzDjQc) holds the filter of every read: xm, zjhm (parts) and
// zjlx (IQueryCondition's ZjlxDm), the page (PageNo from 1, PageSize; -1: all rows), and the named
// fields "jfnd", "sbjbjgdm", "xzlxdm", "yxbz", "sbzt", "jkzt", "sbrqq", "sbrqz" and "zbid".
// Reference-counted, created by the payer service's factory operations; one thread at a time.
#pragma once

#include <string>

#include "velmor/jfdj_items.h"
#include "velmor/query_condition.h"

namespace velmor {

// The filter a condition stands for: each non-empty field filters; page from 1 (-1: all rows).
struct BzDjFilter {
  std::string jfnd, sbjbjgdm, xzlxdm, xm, zjlx, zjhm;  // prepared lines; xm, zjhm match a part
  std::string yxbz;                                  // insured lines: "Y" only valid units
  std::string sbzt, jkzt, sbrqq, sbrqz;              // records
  int32_t zbid = 0;                                  // record lines and list entries of one record
  int32_t page = -1;
  int32_t pageSize = 20;
};

class IBzDjQc : public IQueryCondition {
 public:
  VELMOR_IID("{5B8E0C1D-7A43-4E2B-9C61-3F0A8D2E47B9}")
  using Base = IQueryCondition;
  // The filter of the fields set so far (page and person criteria included).
  virtual BzDjFilter GetFilter() = 0;
  virtual std::string GetField(const std::string& name) = 0;
  // False (and nothing set) for a name not in the list above, or a zbid that is not a number.
  virtual bool SetField(const std::string& name, const std::string& value) = 0;

 protected:
  ~IBzDjQc() = default;
};

}  // namespace velmor
