#include "onlinepay/key_envelope.h"

#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

#include "velmor/exceptions.h"

namespace velmor::onlinepay {
namespace {

constexpr std::string_view kMagic = "VKE1";
constexpr size_t kNonce = 12, kTag = 16, kKey = 32;

struct CipherFree {
  void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};
using CipherPtr = std::unique_ptr<EVP_CIPHER_CTX, CipherFree>;

std::optional<std::string> KeyBytes(std::string_view hex) {
  if (hex.size() != 2 * kKey) return std::nullopt;
  std::string out(kKey, '\0');
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (size_t i = 0; i < kKey; ++i) {
    const int hi = nibble(hex[2 * i]), lo = nibble(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out[i] = static_cast<char>(hi * 16 + lo);
  }
  return out;
}

const unsigned char* U(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }
unsigned char* U(std::string& s) { return reinterpret_cast<unsigned char*>(s.data()); }

}  // namespace

SecretText& SecretText::operator=(SecretText&& other) noexcept {
  if (this != &other) {
    Wipe();
    text_ = std::move(other.text_);
    other.Wipe();
  }
  return *this;
}

void SecretText::Wipe() noexcept {
  if (!text_.empty()) OPENSSL_cleanse(text_.data(), text_.size());
  text_.clear();
}

std::string SealKeyEnvelope(std::string_view plain, std::string_view keyHex) {
  const SecretText key(KeyBytes(keyHex).value_or(""));
  if (key.view().empty()) throw Exception("密钥配置无效。");
  std::string nonce(kNonce, '\0'), body(plain.size(), '\0'), tag(kTag, '\0');
  CipherPtr ctx(EVP_CIPHER_CTX_new());
  int len = 0;
  const bool ok = RAND_bytes(U(nonce), static_cast<int>(kNonce)) == 1 && ctx &&
                  EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) == 1 &&
                  EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(kNonce), nullptr) == 1 &&
                  EVP_EncryptInit_ex(ctx.get(), nullptr, nullptr, U(key.view()), U(nonce)) == 1 &&
                  EVP_EncryptUpdate(ctx.get(), nullptr, &len, U(kMagic), static_cast<int>(kMagic.size())) == 1 &&
                  EVP_EncryptUpdate(ctx.get(), U(body), &len, U(plain), static_cast<int>(plain.size())) == 1 &&
                  EVP_EncryptFinal_ex(ctx.get(), U(body) + len, &len) == 1 &&
                  EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, static_cast<int>(kTag), U(tag)) == 1;
  ERR_clear_error();
  if (!ok) throw Exception("加密密钥文件失败。");
  return std::string(kMagic) + nonce + body + tag;
}

SecretText OpenKeyEnvelope(const std::string& path, std::string_view keyHex) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) throw Exception("缺少文件：" + path);
  std::ifstream in(path, std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const SecretText key(KeyBytes(keyHex).value_or(""));
  if (!in.good() && !in.eof()) throw Exception(kBadKeyFile);
  if (key.view().empty() || file.size() < kMagic.size() + kNonce + kTag ||
      std::string_view(file).substr(0, kMagic.size()) != kMagic)
    throw Exception(kBadKeyFile);
  const std::string_view nonce = std::string_view(file).substr(kMagic.size(), kNonce);
  const std::string_view body =
      std::string_view(file).substr(kMagic.size() + kNonce, file.size() - kMagic.size() - kNonce - kTag);
  std::string tag(file.substr(file.size() - kTag));
  std::string buffer(body.size(), '\0');
  CipherPtr ctx(EVP_CIPHER_CTX_new());
  int len = 0, last = 0;
  const bool ok = ctx && EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) == 1 &&
                  EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(kNonce), nullptr) == 1 &&
                  EVP_DecryptInit_ex(ctx.get(), nullptr, nullptr, U(key.view()), U(nonce)) == 1 &&
                  EVP_DecryptUpdate(ctx.get(), nullptr, &len, U(kMagic), static_cast<int>(kMagic.size())) == 1 &&
                  EVP_DecryptUpdate(ctx.get(), U(buffer), &len, U(body), static_cast<int>(body.size())) == 1 &&
                  EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, static_cast<int>(kTag), U(tag)) == 1 &&
                  EVP_DecryptFinal_ex(ctx.get(), U(buffer) + len, &last) == 1;
  ERR_clear_error();
  SecretText result(std::move(buffer));  // wiped whether or not it is handed out
  if (!ok) throw Exception(kBadKeyFile);
  return result;
}

}  // namespace velmor::onlinepay
