#include "declaration/yjxx_answer.h"

#include "service/fast_answer.h"

namespace velmor::declaration {

service::FastList ReadYjxxAnswer(std::string_view responseText) {
  return service::FastList(responseText, "sbfWsbZjxxDetailList", true);
}

}  // namespace velmor::declaration
