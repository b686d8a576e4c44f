#include "host/components/return_code_message.h"

#include "host/text_util.h"

namespace velmor::host::net {

ReturnCodeMessage::ReturnCodeMessage(const std::map<std::string, std::string>& table) {
  for (const auto& [key, text] : table) table_[AsciiLower(key)] = text;
}

std::string ReturnCodeMessage::RenderMessage(const std::string& code, const std::string& message) {
  if (code.empty()) return message;
  auto it = table_.find(AsciiLower(code));
  return it == table_.end() ? message : it->second;
}

std::string ReturnCodeMessage::GetCodeMessage(const std::string& code, const std::string& functionCode) {
  if (code.empty()) return {};
  auto it = table_.find(AsciiLower(functionCode + "." + code));
  return it == table_.end() ? std::string() : it->second;
}

}  // namespace velmor::host::net
