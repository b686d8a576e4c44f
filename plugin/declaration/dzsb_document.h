// The electronic declaration's request document and the declaration stored for it, both built
// from the payable rows being declared.
//
// Plain functions of their arguments; any thread.
#pragma once

#include <string>

#include "codec/taxml_request.h"
#include "declaration/dao_support.h"

namespace velmor::declaration {

// The "SbfCxjmxnhSbfSbYzxxBcDzmsRequest" document (BuildSbBw). Raises OpRefusal
// "待申报明细列表为空。" for no rows and taxml::Failure "创建报文异常" (cause logged) for rows
// that are no objects or values the document cannot carry.
taxml::RequestDocument BuildSbBw(const Json& rows, const std::string& djxh, const std::string& zgswjgDm,
                                 const std::string& bz);

// The declaration (as SaveSbData takes it) of accepted rows: one detail per levy item, sub-item,
// detail, agency and fee period, one person per row (its line number the row's xxh), state 9.
Json DzsbDeclaration(const Json& rows, const std::string& djxh, const std::string& yblsh,
                     const std::string& zgswjgDm, const std::string& bz);

}  // namespace velmor::declaration
