#include "declaration/yjxx_answer.h"

#include "service/fast_answer.h"

namespace velmor::declaration {

nlohmann::ordered_json ReadYjxxAnswer(std::string_view responseText) {
  return service::FastListAnswer(responseText, "sbfWsbZjxxDetailList", true);
}

}  // namespace velmor::declaration
