// TRSAOpenSSL: RSA signatures with SHA-256 (PKCS #1 v1.5) over OpenSSL's libcrypto, written as
// Base64 without line breaks. Signs with a PEM private key and checks with a PEM public key.
//
// The object owns the keys it loads (freed with it); each key is read from its file on first
// use and kept. One object must not be used from two threads at once; separate objects are
// independent.
#pragma once

#include <string>
#include <string_view>

struct evp_pkey_st;

namespace velmor {

class TRSAOpenSSL {
 public:
  // Keeps the two paths; reads nothing yet. Either path may be empty when its key is not used.
  TRSAOpenSSL(std::string private_key_path, std::string public_key_path);
  ~TRSAOpenSSL();
  TRSAOpenSSL(const TRSAOpenSSL&) = delete;
  TRSAOpenSSL& operator=(const TRSAOpenSSL&) = delete;

  // The signature of text's bytes in Base64 (standard alphabet, no line breaks). Raises
  // velmor::Exception when the private key cannot be used: "打开私钥文件失败：" + path (missing or
  // unreadable), "私钥文件无效：" + path (not a PEM private key, damaged, or protected by a pass
  // phrase), "私钥不是RSA密钥：" + path; and "RSA签名失败" should OpenSSL fail to sign.
  std::string Sign(std::string_view text);

  // Sign with the private key given as PEM text held in memory (a key that must never reach the
  // disk): the same signature and messages as Sign, "私钥文件无效：" + what naming the key.
  static std::string SignWithPem(std::string_view pem, std::string_view what, std::string_view text);

  // True when signature (Base64) is the signature of text under the public key (a PEM
  // "PUBLIC KEY"); false for a wrong or malformed signature. Raises velmor::Exception when the
  // public key cannot be used, with the messages of Sign naming "公钥" instead of "私钥".
  bool Verify(std::string_view text, std::string_view signature);

  const std::string& private_key_path() const { return private_key_path_; }
  const std::string& public_key_path() const { return public_key_path_; }

 private:
  std::string private_key_path_;
  std::string public_key_path_;
  evp_pkey_st* private_key_ = nullptr;
  evp_pkey_st* public_key_ = nullptr;
};

}  // namespace velmor
