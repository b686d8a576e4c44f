// CommonFunctions: the host's ICommonFunctions. Serials are the local time "yyyymmddhhnnss"
// followed by a counter of at least 16 digits from a SerialCounter, so they stay unique however
// the clock moves; the time part only makes them readable.
//
// Thread-safe.
#pragma once

#include <string>

#include "host/components/serial_counter.h"
#include "velmor/common_functions.h"
#include "velmor/object.h"

namespace velmor::host::net {

class CommonFunctions final : public Object<ICommonFunctions> {
 public:
  // statePath: the counter's state file (usually <data dir>/serial.seq); empty keeps the counter
  // in the process only.
  explicit CommonFunctions(std::string statePath);

  std::string NewSerialNo() override;
  double Now() override;
  std::string FormatDateTime(const std::string& format, double dateTime) override;
  bool ParseDateTime(const std::string& text, double& out) override;
  std::string AmountInCapitals(double amount) override;

 private:
  SerialCounter counter_;
};

}  // namespace velmor::host::net
