#include "declaration/yjxx_answer.h"

#include "service/fast_answer.h"

namespace velmor::declaration {

namespace {
constexpr const char* kList = "sbfWsbZjxxDetailList";
}  // namespace

service::FastList ReadYjxxAnswer(std::string_view responseText) { return service::FastList(responseText, kList, true); }

service::FastListOnce ReadYjxxAnswerOnce(std::string_view responseText) {
  return service::FastListOnce(responseText, kList, true);
}

}  // namespace velmor::declaration
