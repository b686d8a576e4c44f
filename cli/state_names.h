// The names of the roster's state codes, for the state columns of the command line's tables
// (each shown as code and name, "1 参保中"). Pure functions; any thread.
#pragma once

#include <string>

namespace velmor::cli {

// A person's summary state (cbzt): 1 insured, 2 items ended, 3 no item; "未计算" otherwise.
const char* PersonStateName(const std::string& cbzt);
// Where a person comes from (ly): "1" added locally, "0" or none downloaded from the server.
const char* PersonOriginName(const std::string& ly);
// A person's registration at the server (djzt): "0" not registered, "1" or none registered.
const char* PersonRegistrationName(const std::string& djzt);

}  // namespace velmor::cli
