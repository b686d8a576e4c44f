// The roster's dates from the local clock, in the store's text forms: months "yyyy-mm", days
// "yyyy-mm-dd". Safe on any thread.
#pragma once

#include <string>

namespace velmor {

std::string CurrentMonth();  // "yyyy-mm"
std::string Today();         // "yyyy-mm-dd"

}  // namespace velmor
