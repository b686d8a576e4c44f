#include "roster/registration_doc.h"

#include <deque>

#include <pugixml.hpp>

#include "velmor/exceptions.h"

namespace velmor {
namespace {

// The shallowest element of that name under `root` (breadth first), or a null node.
pugi::xml_node Shallowest(pugi::xml_node root, const char* name) {
  std::deque<pugi::xml_node> level{root};
  while (!level.empty()) {
    pugi::xml_node n = level.front();
    level.pop_front();
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element) continue;
      if (std::string_view(c.name()) == name) return c;
      level.push_back(c);
    }
  }
  return {};
}

std::string Text(pugi::xml_node n, const char* child) { return n.child(child).text().get(); }

template <class F>
void ForEachElement(pugi::xml_node list, F&& f) {
  for (pugi::xml_node c = list.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element) f(c);
}

}  // namespace

RegistrationDoc ParseRegistrationDoc(std::string_view xml) {
  pugi::xml_document doc;
  pugi::xml_parse_result r = doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!r) throw Exception(std::string("反馈报文异常：") + r.description());
  pugi::xml_node root = doc.document_element();
  RegistrationDoc out;
  out.code = Shallowest(doc, "code").text().get();
  out.message = Shallowest(doc, "message").text().get();
  out.gxsj = Shallowest(doc, "gxsj").text().get();
  out.maxid = Shallowest(doc, "maxid").text().get();
  pugi::xml_node list = root ? Shallowest(doc, "cxjmDjxxList") : pugi::xml_node();
  ForEachElement(list, [&](pugi::xml_node p) {
    RegPerson person{Text(p, "djxh"), Text(p, "xm"),  Text(p, "sfzjlx"), Text(p, "sfzjhm"),
                     Text(p, "gjDm"), Text(p, "csrq"), Text(p, "sex"),   Text(p, "jfrsbh"), {}};
    ForEachElement(p.child("cxjmCbxxList"), [&](pugi::xml_node e) {
      RegEnrolment enrol{Text(e, "sbjbjgDm"), Text(e, "rybh"), Text(e, "sbhm"), Text(e, "ssxzqhDm"),
                         Text(e, "sqczDm"),   Text(e, "gxsj"), Text(e, "yxbz"), {}};
      ForEachElement(e.child("cxjmCbxzList"), [&](pugi::xml_node i) {
        enrol.items.push_back({Text(i, "id"), Text(i, "zsxmDm"), Text(i, "zspmDm"), Text(i, "zszmDm"), Text(i, "yxbz"),
                               Text(i, "tcqBm"), Text(i, "jdxzDm"), Text(i, "sqczDm"), Text(i, "cbrytslbDm"),
                               Text(i, "ksjfyf"), Text(i, "tzjfyf"), Text(i, "gxsj")});
      });
      person.enrolments.push_back(std::move(enrol));
    });
    out.persons.push_back(std::move(person));
  });
  return out;
}

}  // namespace velmor
