#include "service/taxml_json.h"

#include <cctype>

#include "codec/taxml_exchange.h"
#include "framework/host_access.h"
#include "codec/taxml_response.h"
#include "codec/json_parse.h"

namespace velmor::service {

namespace {

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

std::string RowName(std::string_view list) {
  if (EndsWith(list, "List")) return std::string(list.substr(0, list.size() - 4)) + "DTO";
  return std::string(list) + "DTO";
}

std::string ScalarText(const Json& v) {
  if (v.is_string()) return v.get<std::string>();
  if (v.is_null()) return {};
  if (v.is_boolean()) return v.get<bool>() ? "Y" : "N";
  return v.dump();
}

// Parameter names become element names: only plain names, so no parameter can inject markup.
void RequireElementName(const std::string& name) {
  bool ok = !name.empty() && (std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_');
  for (char c : name) ok = ok && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
  if (!ok) throw OpRefusal("参数名无效：" + name);
}

void AddValue(taxml::RequestDocument& doc, const std::string& name, const Json& v) {
  RequireElementName(name);
  if (v.is_array()) {
    doc.Open(name);
    const std::string row = RowName(name);
    for (const Json& entry : v) {
      if (entry.is_object()) {
        doc.Open(row);
        AddJson(doc, entry);
        doc.Close();
      } else {
        doc.Add(row, ScalarText(entry));
      }
    }
    doc.Close();
  } else if (v.is_object()) {
    doc.Open(name);
    AddJson(doc, v);
    doc.Close();
  } else {
    doc.Add(name, ScalarText(v));
  }
}

}  // namespace

std::string Text(const Json& object, const char* key) {
  if (!object.is_object()) return {};
  auto it = object.find(key);
  return it == object.end() ? std::string() : ScalarText(*it);
}

void AddJson(taxml::RequestDocument& doc, const Json& object) {
  if (!object.is_object()) return;
  for (auto it = object.begin(); it != object.end(); ++it) AddValue(doc, it.key(), it.value());
}

Json NodeJson(pugi::xml_node node) {
  if (EndsWith(node.name(), "List")) {
    Json rows = Json::array();
    for (pugi::xml_node r = node.first_child(); r; r = r.next_sibling())
      if (r.type() == pugi::node_element) rows.push_back(NodeJson(r));
    return rows;
  }
  bool hasElements = false;
  for (pugi::xml_node c = node.first_child(); c && !hasElements; c = c.next_sibling())
    hasElements = c.type() == pugi::node_element;
  if (!hasElements) return node.child_value();
  Json out = Json::object();
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element) out[c.name()] = NodeJson(c);
  return out;
}

Json AnswerJson(pugi::xml_node root) {
  Json out = Json::object();
  for (pugi::xml_node c = root.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    const std::string_view name = c.name();
    if (name == "code" || name == "message") continue;
    out[c.name()] = NodeJson(c);
  }
  return out;
}

Json JsonAnswer(const std::string& text, const char* list) {
  if (text.empty() || text == "null") return Json::object();
  Json answer = ParseOutsideJson<Json>(text, false);
  if (!answer.is_object()) throw taxml::Failure("反馈数据不是JSON对象。");
  const std::string code = Text(answer, "code");
  if (!code.empty() && code != taxml::kSuccessCode)
    throw taxml::Failure("【" + code + "】" + RenderMessage(code, Text(answer, "message")));
  if (list && *list && !answer.contains(list)) throw taxml::Failure(std::string("反馈报文缺少<") + list + ">节点。");
  answer.erase("code");
  answer.erase("message");
  return answer;
}

}  // namespace velmor::service
