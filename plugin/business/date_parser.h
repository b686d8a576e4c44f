// The date parser of date, time and date-time properties: free user text ("20240131",
// "2024年1月31日", "2024/1/31 8:05") to a TDateTime.
//
// 1. the text as it is, with the process-wide settings; 2. the text normalised (below) with the
// module's settings (date separator '-', year-month-day order); 3. the normalised text with a
// fresh copy of the user's locale settings. When all fail, the line
// "<normalised>转为日期失败，当前日期格式：<user short date format>" goes to the host debugger and
// the EConvertError of the last attempt propagates. Stateless; safe on any thread.
#pragma once

#include <string>
#include <string_view>

#include "business/date_time.h"

namespace velmor {

// Eight ASCII characters without '-', '/' or '.' become "yyyy-mm-dd"; any other text is
// trimmed, '.', '/', "年" and "月" become '-' and "日" goes. Then only digits, ':', blanks and the
// first two '-' are kept.
std::string NormaliseDateText(std::string_view text);

// Raises EConvertError when no attempt succeeds.
TDateTime ParseDateText(std::string_view text);

}  // namespace velmor
