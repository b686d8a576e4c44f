// The bank channel of individual online payment: the platform's parameters in their fixed order
// joined with "&", signed SHA256withRSA with the key deciphered in memory from "Key_CCB.pem",
// and posted through the host's HTTP(S) client as a JSON object of the same names (a value
// "null" as JSON null) plus "SIGN_INF". The reply is parsed as outside JSON.
//
// Settings are system parameters of the payer: "ccb_zrzfpt_host" (the platform's address),
// "ccb_zrzfpt_qdbh", "ccb_zrzfpt_fxdm", "ccb_zrzfpt_fxmc", "ccb_zrzfpt_skdwdm",
// "ccb_zrzfpt_skdwmc"; the envelope's key is the host's module setting "[M8] ccb_key" (64 hex
// digits). Runs on the host's main thread.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace velmor::onlinepay {

using Json = nlohmann::ordered_json;
// name, value pairs in the order they are signed.
using BankParams = std::vector<std::pair<std::string, std::string>>;

inline constexpr const char* kSignFailed = "生成签名异常。";
inline constexpr const char* kSendFailed = "发送请求异常：";
inline constexpr const char* kBadReply = "返回数据异常。";
inline constexpr const char* kOrderPath = "online/socialorder";
inline constexpr const char* kEnquiryPath = "online/enquireorder";
// The reply's result marker and the value that means success.
inline constexpr const char* kResultMarker = "Rsp_Cd";
inline constexpr const char* kResultOk = "00";

struct BankSettings {
  std::string host, qdbh, fxdm, fxmc, skdwdm, skdwmc;
};

// The payer's platform settings; raises OpRefusal "未配置银行支付平台地址（ccb_zrzfpt_host）。"
// when the address is not set.
BankSettings ReadBankSettings(const std::string& djxh);

// "a=1&b=null&c=".
std::string ParamText(const BankParams& params);
// The body: each parameter as a JSON string (null for "null"), then "SIGN_INF".
Json ParamBody(const BankParams& params, const std::string& signature);

// The path of the enciphered key file: the "M8" directory + "AppComs/Difference/" + the
// platform's name + "/Key_CCB.pem".
std::string KeyFilePath();
// The signature of text with the deciphered key. Raises OpRefusal "缺少文件：" + path,
// "解密建行密钥配置文件失败。" or kSignFailed.
std::string SignParams(const std::string& text);

// Signs, posts to host + "/" + path and answers the reply as a JSON object. Raises OpRefusal
// kSendFailed + the client's text (also for an HTTP status other than 200) or kBadReply for a
// reply that is no JSON object. The reply is logged after `logHead`.
Json PostToBank(const BankSettings& settings, const char* path, const BankParams& params, const char* logHead);

// The fee item code of an item type: "10210" for "00", "10212" for "01", "00000" otherwise.
std::string FeeItemCode(std::string_view pmlx);

}  // namespace velmor::onlinepay
