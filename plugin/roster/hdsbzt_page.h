// One page of the assessed declarations' states ("0108"): a JSON object whose "sbztList" holds
// the records. Read with the JSON cursor, each record as an object reader, never as a tree of the
// page; a page the cursor refuses, or whose list is no array, is read through the general parser
// as it always was, so odd answers read the same.
//
// Plain function; any thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace velmor::roster {

// A record's members as the services read them from a tree: a string's bytes, "" when absent
// or null, any other value as the general parser's dump() writes it.
using StateVisit = std::function<void(std::string_view jfnd, std::string_view xzid, std::string_view sbrq,
                                      std::string_view ybtfe, std::string_view sbzt, std::string_view jfzt)>;

// Hands each record of the page in order. A page without the list has none. Raises
// taxml::Failure("反馈数据异常：应答不是JSON对象") when the page is no JSON object.
void ForEachState(const std::string& page, const StateVisit& visit);

}  // namespace velmor::roster
