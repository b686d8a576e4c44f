// The online-signed pension agreements of TJfjeqrService on the server: a new agreement number
// ("0043"), save ("0044"), update ("0045"), verify ("0046"), revoke ("0047") and withdraw a
// number ("0048"). A verification refused with "FDA" or a revocation refused with "FBD" fails
// the operation with the return-code component's text for it.
#include "codec/taxml_response.h"
#include "fees/jfjeqr_service.h"
#include "framework/host_access.h"

namespace velmor {

namespace {

using service::Json;
using service::OpRefusal;
using service::Text;

constexpr const char* kClass = "TJfjeqrService";
constexpr service::OpRow kProduce{kClass, "synProduceSfxy", "0043", "生成三方协议号异常："};
constexpr service::OpRow kSave{kClass, "synSaveSfxyxx", "0044", "保存三方协议信息异常："};
constexpr service::OpRow kUpdate{kClass, "synUpdateSfxyxx", "0045", "更新三方协议信息异常："};
constexpr service::OpRow kCheck{kClass, "synCheckSfxy", "0046", "验证三方协议信息异常："};
constexpr service::OpRow kRevoke{kClass, "synRevokeSfxy", "0047", "撤销三方协议异常："};
constexpr service::OpRow kWithdraw{kClass, "synZfSfxyh", "0048", "撤销三方协议号异常："};

constexpr const char* kMembers[] = {"sfxydjuuid", "pkbz",       "djxh",      "skssswjgDm", "sfxyh",    "yhhbDm",
                                    "qsyhhh",     "khyhhh",     "jkzh",      "jkzhmc",     "sfxyyztgRq", "xzqhszDm",
                                    "yhyywdDm",   "sfxyztDm",   "sfxyyzxx",  "lrrDm",      "xgrDm",    "nsrsbh"};

// One exchange of an agreement document; the answer's root as JSON. An answer that does not
// read fails with `unreadable` + its text.
Json SendAgreement(const service::OpRow& row, const std::string& agreement, const char* unreadable) {
  taxml::RequestDocument doc = fees::AgreementDocument(service::ParseParams(agreement));
  taxml::Response answer = service::ExchangeDocument(
      row.code, doc, nullptr, [&](const std::exception& e) { return std::string(unreadable) + e.what(); });
  return service::AnswerJson(answer.Root());
}

}  // namespace

namespace fees {

taxml::RequestDocument AgreementDocument(const Json& agreement) {
  taxml::RequestDocument doc("HXZGZS00193Request");
  doc.Open("ZSsfxyVO");
  for (const char* m : kMembers) doc.Add(m, Text(agreement, m));
  doc.Close();
  return doc;
}

}  // namespace fees

bool TJfjeqrService::synProduceSfxy(const std::string& skssswjgDm, std::string& sfxyh, std::string& message) {
  sfxyh.clear();
  return Op(kProduce, message, [&] {
    Json answer = service::Exchange(kProduce, {CurrentDjxh(), Json{{"djxh", ""}, {"skssswjgDm", skssswjgDm}}});
    sfxyh = Text(answer, "sfxyh");
    if (sfxyh.empty()) throw OpRefusal("生成三方协议号异常：反馈报文缺少<sfxyh>节点。");
  });
}

bool TJfjeqrService::synSaveSfxyxx(const std::string& agreement, std::string& sfxydjuuid, std::string& message) {
  sfxydjuuid.clear();
  return Op(kSave, message, [&] {
    Json answer = SendAgreement(kSave, agreement, "保存三方协议信息反馈报文异常：");
    sfxydjuuid = Text(answer, "sfxydjuuid");
    if (sfxydjuuid.empty()) throw OpRefusal("保存三方协议信息反馈报文异常：缺少<sfxydjuuid>节点。");
  });
}

bool TJfjeqrService::synUpdateSfxyxx(const std::string& agreement, std::string& returnMessage, std::string& message) {
  returnMessage.clear();
  return Op(kUpdate, message, [&] {
    returnMessage = Text(SendAgreement(kUpdate, agreement, "更新三方协议信息反馈报文异常："), "returnmessage");
  });
}

bool TJfjeqrService::Verdict(const service::OpRow& row, const char* refusal, const std::string& agreement,
                             std::string& returnMessage, std::string& message) {
  returnMessage.clear();
  const char* unreadable = row.code == std::string("0046") ? "验证三方协议信息反馈报文异常：" : "撤销三方协议反馈报文异常：";
  return Op(row, message, [&] {
    Json answer = SendAgreement(row, agreement, unreadable);
    returnMessage = Text(answer, "returnmessage");
    if (Text(answer, "recode") != refusal) return;
    // A refused verification or revocation is a failure, in the component's words.
    std::string text;
    try {
      text = GetReturnCodeMessage()->GetCodeMessage(refusal, row.code);
    } catch (const std::exception&) {
    }
    returnMessage = text.empty() ? (returnMessage.empty() ? std::string("【") + refusal + "】" : returnMessage) : text;
    throw OpRefusal(returnMessage);
  });
}

bool TJfjeqrService::synCheckSfxy(const std::string& agreement, std::string& returnMessage, std::string& message) {
  return Verdict(kCheck, "FDA", agreement, returnMessage, message);
}

bool TJfjeqrService::synRevokeSfxy(const std::string& agreement, std::string& returnMessage, std::string& message) {
  return Verdict(kRevoke, "FBD", agreement, returnMessage, message);
}

bool TJfjeqrService::synZfSfxyh(const std::string& zfrDm, const std::string& sfxydjuuid, std::string& message) {
  return Op(kWithdraw, message, [&] {
    service::Exchange(kWithdraw,
                      {CurrentDjxh(), Json{{"djxh", ""}, {"zfrDm", zfrDm}, {"sfxydjuuid", sfxydjuuid}}});
  });
}

}  // namespace velmor
