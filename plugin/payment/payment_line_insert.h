// The insert of one payment line into sb_fkjnxxb, shared by CommitData and SaveJfmxList (the
// same columns and value rules), and into sb_jkcslsb for deductions whose answer timed out.
#pragma once

#include <string>

#include "payment/payment_dao.h"

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

// INSERT INTO sb_fkjnxxb(... 36 columns [extraColumn]) VALUES(... [extraValue]); the text
// columns from the line's members of the same name (yhhbmc from yhhbMc).
std::string LineInsert(const Json& line, const LineFacts& f, const SqlFragment& extraColumn = {},
                       const SqlFragment& extraValue = {});
// INSERT INTO sb_jkcslsb(...) with the request serial.
std::string TimedOutInsert(const Json& line, const LineFacts& f, const std::string& yblsh);

}  // namespace velmor::payment
