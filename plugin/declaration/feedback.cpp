#include "declaration/feedback.h"

#include "declaration/dao_support.h"
#include "store/json_text.h"

namespace velmor::declaration {

Feedback ReadFeedback(const taxml::Response& answer) {
  Feedback fb;
  pugi::xml_node root = answer.Root();
  pugi::xml_node errors = root.child("cwmxList");
  fb.final = !root.child("ybtfe").empty() || !errors.empty();
  if (!fb.final) {
    if (!answer.Succeeded()) throw FeedbackRefused(answer.FailureText());
    fb.sbzt = 9;
    return fb;
  }
  if (answer.Succeeded()) {
    fb.sbzt = 2;
    fb.yzpzxh = answer.Value("yzpzxh");
  } else {
    fb.sbzt = 3;
    fb.sbyy = answer.FailureText();
  }
  Json list = Json::array();
  for (pugi::xml_node row : errors.children()) {
    if (row.type() != pugi::node_element) continue;
    list.push_back({{"jfmxxh", row.child("jfmxxh").text().get()}, {"sbyy", row.child("cwxx").text().get()}});
  }
  fb.errors = JsonText(list);
  return fb;
}

Feedback ReadSecondFormFeedback(const taxml::Response& answer) {
  const std::string code = answer.Code();
  if (code == kAcceptedPending) {
    Feedback fb;
    fb.sbzt = 9;
    return fb;
  }
  if (code == kDeclarationRefused) {
    Feedback fb;
    fb.final = true;
    fb.sbzt = 3;
    fb.sbyy = answer.FailureText();
    return fb;
  }
  return ReadFeedback(answer);
}

}  // namespace velmor::declaration
