// The steps both forms of submission share: the submission document built from a declaration,
// and storing the declaration together with its outcome.
//
// Plain functions over their arguments; the thread rule is the caller's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "codec/taxml_request.h"
#include "declaration/dao_support.h"
#include "declaration/feedback.h"
#include "velmor/rcsb_dao.h"

namespace velmor::declaration {

inline constexpr const char* kYzpzzlDm = "BDA0611049";

// The document of `requestType` for declaration `sb` of payer `djxh`: the payer, its tax office,
// the fixed declaration codes and one sbfJfsbbmxDTO per person. Raises Exception("创建报文异常")
// when it cannot be built or encoded (the reason goes to the log under `op`).
taxml::RequestDocument BuildSbbw(std::string_view requestType, const Json& sb, const std::string& djxh,
                                 std::string_view op);

// Stores the submitted declaration with serial `yblsh`, business id `jywyid`, state `sbzt` and,
// when there is one, the feedback, in one store transaction; answers the master id. Raises the
// store's error text.
int32_t StoreSubmission(IRcsbDAO& dao, Json sb, const std::string& djxh, const std::string& yblsh,
                        const std::string& jywyid, int32_t sbzt, const std::optional<Feedback>& fb);

// Records a fetched feedback on a stored master: its state and reason, and with a final result
// the voucher number and the persons in error.
void RecordFeedback(IRcsbDAO& dao, int32_t id, const Feedback& fb);

}  // namespace velmor::declaration
