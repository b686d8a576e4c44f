#include "onlinepay/bank_channel.h"

#include "codec/json_parse.h"
#include "codec/rsa_signer.h"
#include "framework/host_access.h"
#include "framework/log.h"
#include "onlinepay/key_envelope.h"
#include "service/taxml_json.h"
#include "velmor/sys_param.h"

namespace velmor::onlinepay {

using service::OpRefusal;

BankSettings ReadBankSettings(const std::string& djxh) {
  Ref<ISysParamIntf> params = CreatePluginService<ISysParamIntf>("创建平台组件接口[ISysParamIntf]失败！");
  params->SetDjxh(djxh);
  BankSettings s;
  s.host = params->GetValue("ccb_zrzfpt_host");
  s.qdbh = params->GetValue("ccb_zrzfpt_qdbh");
  s.fxdm = params->GetValue("ccb_zrzfpt_fxdm");
  s.fxmc = params->GetValue("ccb_zrzfpt_fxmc");
  s.skdwdm = params->GetValue("ccb_zrzfpt_skdwdm");
  s.skdwmc = params->GetValue("ccb_zrzfpt_skdwmc");
  while (!s.host.empty() && s.host.back() == '/') s.host.pop_back();
  if (s.host.empty()) throw OpRefusal("未配置银行支付平台地址（ccb_zrzfpt_host）。");
  return s;
}

std::string ParamText(const BankParams& params) {
  std::string text;
  for (const auto& [name, value] : params) {
    if (!text.empty()) text += '&';
    text += name + "=" + value;
  }
  return text;
}

Json ParamBody(const BankParams& params, const std::string& signature) {
  Json body = Json::object();
  for (const auto& [name, value] : params) body[name] = value == "null" ? Json(nullptr) : Json(value);
  body["SIGN_INF"] = signature;
  return body;
}

std::string KeyFilePath() {
  Ref<IPlatformManager> platform = GetPlatformManager();
  return platform->GetModuleDataDir(kModuleKey) + "AppComs/Difference/" + platform->GetPlatformName() + "/" +
         kKeyFileName;
}

std::string SignParams(const std::string& text) {
  const std::string path = KeyFilePath();
  SecretText pem;
  try {
    pem = OpenKeyEnvelope(path, GetPlatformManager()->GetModuleSetting(kModuleKey, "ccb_key"));
  } catch (const Exception& e) {
    throw OpRefusal(e.what());  // "缺少文件：..." or the envelope's own message, as they stand
  }
  try {
    return TRSAOpenSSL::SignWithPem(pem.view(), kKeyFileName, text);
  } catch (const std::exception& e) {
    LogText(std::string("[TGrsbfjn]签名失败：") + e.what());
    throw OpRefusal(kSignFailed);
  }
}

Json PostToBank(const BankSettings& settings, const char* path, const BankParams& params, const char* logHead) {
  const std::string signature = SignParams(ParamText(params));
  const std::string body = ParamBody(params, signature).dump();
  int32_t status = 0;
  std::string answer, error;
  if (!GetHttpClient()->Post(settings.host + "/" + path, body, "Content-Type: application/json;charset=utf-8",
                             status, answer, error))
    throw OpRefusal(kSendFailed + error);
  LogText(std::string(logHead) + answer);
  if (status != 200) throw OpRefusal(std::string(kSendFailed) + "HTTP " + std::to_string(status));
  Json reply;
  try {
    reply = ParseOutsideJson<Json>(answer, false);
  } catch (const std::exception&) {
  }
  if (!reply.is_object()) throw OpRefusal(kBadReply);
  return reply;
}

std::string FeeItemCode(std::string_view pmlx) {
  if (pmlx == "00") return "10210";
  if (pmlx == "01") return "10212";
  return "00000";
}

}  // namespace velmor::onlinepay
