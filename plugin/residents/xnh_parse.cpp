// Reading the scheme account out of a "0001" answer.
#include <string_view>

#include "residents/xnh_mgr.h"

namespace velmor {

namespace {

std::string Text(pugi::xml_node n, const char* name) { return n.child_value(name); }

// The server writes an absent community as the text "null".
std::string NotNull(std::string v) { return v == "null" ? std::string() : v; }

}  // namespace

std::vector<XnhJbxx> ParseXnhDjxx(pugi::xml_node list) {
  std::vector<XnhJbxx> offices;
  for (pugi::xml_node o = list.first_child(); o; o = o.next_sibling()) {
    if (o.type() != pugi::node_element) continue;
    XnhJbxx j;
    j.swjgdm = Text(o, "zgswjgDm");
    j.jfrztdm = Text(o, "jfrztDm");
    j.zgswksDm = Text(o, "zgswksDm");
    j.zgswksMc = Text(o, "zgswksMc");
    j.glbz = Text(o, "glbz");
    j.flbsdm = Text(o, "flbsDm");
    for (pugi::xml_node u = o.child("cxjmXnhCbxxList").first_child(); u; u = u.next_sibling()) {
      if (u.type() != pugi::node_element) continue;
      XnhCbjg c;
      c.yxbz = Text(u, "yxbz");
      c.sbjbjgdm = Text(u, "sbjbjgDm");
      c.dwbh = Text(u, "sbbm");
      c.xzqhdm = Text(u, "xzqhDm");
      c.lxrxm = Text(u, "lxrxm");
      c.lxdh = Text(u, "lxdhhm");
      c.lxdz = Text(u, "lxdz");
      c.dwcbztdm = Text(u, "dwcbztDm");
      c.tsdwlbdm = Text(u, "tsdwlbDm");
      c.djzclxdm = Text(u, "djzclxDm");
      for (pugi::xml_node x = u.child("cxjmXnhCbxzList").first_child(); x; x = x.next_sibling()) {
        if (x.type() != pugi::node_element) continue;
        XnhCbxm m;
        m.xzid = Text(x, "cbxzId");
        m.xzlxDm = Text(x, "xzlxDm");
        m.zsxmdm = Text(x, "zsxmDm");
        m.zspmdm = Text(x, "zspmDm");
        m.zszmdm = Text(x, "zszmDm");
        m.tcqdm = Text(x, "tcqBm");
        m.xzjddm = Text(x, "jdxzDm");
        m.sqhczdm = NotNull(Text(x, "sqczDm"));
        m.dwcbtslbdm = Text(x, "dwcbtslbDm");
        m.ksjfyf = Text(x, "ksjfyf");
        m.tzjfyf = Text(x, "tzjfyf");
        m.dsXzqhDm = c.xzqhdm;  // the unit's region is where its items are paid
        c.items.push_back(std::move(m));
      }
      j.units.push_back(std::move(c));
    }
    offices.push_back(std::move(j));
  }
  return offices;
}

}  // namespace velmor
