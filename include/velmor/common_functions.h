// ICommonFunctions: the host's common-functions component (instance "Default"): fresh serial
// numbers for server exchanges, date conversion, and amounts written in Chinese capitals.
//
// Date-times are days since 1899-12-30 (fraction = time of day), local time. Formats use the
// tokens yyyy, mm, dd, hh, nn, ss; every other character is copied ("yyyy年mm月dd日").
// Thread-safe.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class ICommonFunctions : public IInterface {
 public:
  VELMOR_IID("{D5316A9B-D4F8-4416-9E58-8C82FBBF2141}")
  // A serial that no earlier call returned, in this process or an earlier run of the host on
  // the same data directory. Raises velmor::Exception when its state file cannot be kept.
  virtual std::string NewSerialNo() = 0;
  // The current local date-time.
  virtual double Now() = 0;
  // dateTime in format; empty for a value outside the years 1-9999.
  virtual std::string FormatDateTime(const std::string& format, double dateTime) = 0;
  // Reads "yyyy-mm-dd", "yyyy/mm/dd", "yyyymmdd", each optionally followed by " hh:nn:ss" (or
  // "hh:nn"). False, out untouched, for any other text or an impossible date.
  virtual bool ParseDateTime(const std::string& text, double& out) = 0;
  // The amount in Chinese capitals, rounded to the fen: 1234.56 gives "壹仟贰佰叁拾肆元伍角陆分",
  // 100 gives "壹佰元整", -0.5 gives "负伍角整". Empty for a value that is not finite or whose
  // magnitude reaches 10^16.
  virtual std::string AmountInCapitals(double amount) = 0;

 protected:
  ~ICommonFunctions() = default;
};

}  // namespace velmor
