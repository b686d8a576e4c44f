// The enciphered file of the bank platform's private key ("Key_CCB.pem"). The plain key never
// reaches the disk: the file holds an envelope that is opened in memory only, and the signer
// signs from the text in memory (TRSAOpenSSL::SignWithPem).
//
// Envelope: "VKE1" | nonce (12 bytes) | ciphertext | tag (16 bytes), AES-256-GCM with the four
// magic bytes as additional data, under a 32-byte key the host configuration gives as 64 hex
// digits (docs/onlinepay.md). Stateless functions; any thread.
#pragma once

#include <string>
#include <string_view>

namespace velmor::onlinepay {

inline constexpr const char* kKeyFileName = "Key_CCB.pem";
inline constexpr const char* kBadKeyFile = "解密建行密钥配置文件失败。";

// Text wiped from memory when it goes (the deciphered key). Move-only.
class SecretText {
 public:
  SecretText() = default;
  explicit SecretText(std::string text) : text_(std::move(text)) {}
  SecretText(SecretText&& other) noexcept : text_(std::move(other.text_)) { other.Wipe(); }
  SecretText& operator=(SecretText&& other) noexcept;
  SecretText(const SecretText&) = delete;
  SecretText& operator=(const SecretText&) = delete;
  ~SecretText() { Wipe(); }
  std::string_view view() const { return text_; }

 private:
  void Wipe() noexcept;
  std::string text_;
};

// Enciphers plain (a PEM key) into an envelope; used by the set-up that provisions the file.
// Raises velmor::Exception "密钥配置无效。" for a key that is not 64 hex digits.
std::string SealKeyEnvelope(std::string_view plain, std::string_view keyHex);

// Opens the envelope of the file at path. Raises velmor::Exception "缺少文件：" + path when the
// file is absent, kBadKeyFile when it is no envelope, was changed, or the key is wrong or not 64
// hex digits.
SecretText OpenKeyEnvelope(const std::string& path, std::string_view keyHex);

}  // namespace velmor::onlinepay
