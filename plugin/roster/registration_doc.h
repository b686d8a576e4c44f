// The registration document of a payer's persons (the response of the registration download,
// business code "0040", and the answers handed to saveWbry), read with the XML DOM.
//
// Layout: the shallowest elements `code` ("00000" is success), `message`, `gxsj`, `maxid`, and
// `cxjmDjxxList`, whose child elements are persons (`djxh`, `xm`, `sfzjlx`, `sfzjhm`, `gjDm`,
// `csrq`, `sex`, `jfrsbh`, and `cxjmCbxxList`); the children of a person's `cxjmCbxxList` are
// enrolments (`sbjbjgDm`, `rybh`, `sbhm`, `ssxzqhDm`, `sqczDm`, `gxsj`, `yxbz`, and
// `cxjmCbxzList`), whose children are insured items (`id`, `zsxmDm`, `zspmDm`, `zszmDm`,
// `yxbz`, `tcqBm`, `jdxzDm`, `sqczDm`, `cbrytslbDm`, `ksjfyf`, `tzjfyf`, `gxsj`). Missing
// elements read as empty text. Pure values; safe on any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmor {

struct RegItem {
  std::string id, zsxmDm, zspmDm, zszmDm, yxbz, tcqBm, jdxzDm, sqczDm, cbrytslbDm, ksjfyf, tzjfyf, gxsj;
};
struct RegEnrolment {
  std::string sbjbjgDm, rybh, sbhm, ssxzqhDm, sqczDm, gxsj, yxbz;
  std::vector<RegItem> items;
};
struct RegPerson {
  std::string djxh, xm, sfzjlx, sfzjhm, gjDm, csrq, sex, jfrsbh;
  std::vector<RegEnrolment> enrolments;
};
struct RegistrationDoc {
  std::string code, message, gxsj, maxid;
  std::vector<RegPerson> persons;
  bool ok() const { return code == "00000"; }
};

// Raises velmor::Exception("反馈报文异常：" + the parser's description) for text that is not
// well-formed XML.
RegistrationDoc ParseRegistrationDoc(std::string_view xml);

}  // namespace velmor
