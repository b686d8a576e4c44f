// The insert of one payment line into sb_fkjnxxb, shared by CommitData and SaveJfmxList (the
// same columns and value rules), and into sb_jkcslsb for deductions whose answer timed out.
#pragma once

#include <string>

#include "payment/line_texts.h"
#include "payment/payment_dao.h"
#include "store/bound_sql.h"

namespace velmor::payment {

// What a line does not carry itself: the payer, method, states and the person who paid.
struct LineFacts {
  std::string djxh;
  int32_t jkzt = 0;
  int32_t dyzt = 0;
  int32_t jkfs = 0;
  int32_t jfrlx = 0;
  std::string xm, zjlx, zjhm;
  std::string jksj, dysj;  // as given (the download maps them from its own keys)
};

// The inserts are bound statements: prepared once per text by the host and run once per line,
// so storing thousands of lines parses one statement, not thousands.
//
// INSERT INTO sb_fkjnxxb(... 36 columns [, dzjfpzdyID]) VALUES(?, ...); with `certificate` the
// line is linked to a printed certificate (its id is the last value).
const std::string& LineInsertSql(bool certificate = false);
// The 36 values of LineInsertSql for one line (appended to `v`): the text columns from the line's
// members of the same name (yhhbmc from yhhbMc), the rest from `f`.
void LineValues(const LineTexts& line, const LineFacts& f, BoundValues& v);
// INSERT INTO sb_jkcslsb(...) with the request serial, and its values.
const std::string& TimedOutInsertSql();
void TimedOutValues(const LineTexts& line, const LineFacts& f, const std::string& yblsh, BoundValues& v);

}  // namespace velmor::payment
