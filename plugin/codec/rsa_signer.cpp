#include "codec/rsa_signer.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <memory>
#include <string>

#include "codec/base64.h"
#include "velmor/exceptions.h"

namespace velmor {
namespace {

struct BioFree {
  void operator()(BIO* b) const { BIO_free(b); }
};
struct MdCtxFree {
  void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};
using BioPtr = std::unique_ptr<BIO, BioFree>;
using MdCtxPtr = std::unique_ptr<EVP_MD_CTX, MdCtxFree>;

// Key files carry no pass phrase. Without this callback OpenSSL would prompt on the terminal
// for an encrypted key; refusing makes the read fail instead.
int NoPassphrase(char*, int, int, void*) { return -1; }

enum class KeyKind { kPrivate, kPublic };

EVP_PKEY* LoadKey(const std::string& path, KeyKind kind) {
  const std::string what = kind == KeyKind::kPrivate ? "私钥" : "公钥";
  BioPtr bio(BIO_new_file(path.c_str(), "rb"));
  if (!bio) {
    ERR_clear_error();
    throw Exception("打开" + what + "文件失败：" + path);
  }
  EVP_PKEY* key = kind == KeyKind::kPrivate
                      ? PEM_read_bio_PrivateKey(bio.get(), nullptr, NoPassphrase, nullptr)
                      : PEM_read_bio_PUBKEY(bio.get(), nullptr, NoPassphrase, nullptr);
  // The error queue is per thread; leave it clean for the next OpenSSL user.
  ERR_clear_error();
  if (!key) throw Exception(what + "文件无效：" + path);
  if (EVP_PKEY_get_base_id(key) != EVP_PKEY_RSA) {
    EVP_PKEY_free(key);
    throw Exception(what + "不是RSA密钥：" + path);
  }
  return key;
}

std::string SignWith(EVP_PKEY* key, std::string_view text) {
  MdCtxPtr ctx(EVP_MD_CTX_new());
  EVP_PKEY_CTX* pctx = nullptr;  // owned by ctx
  std::string sig;
  std::size_t len = 0;
  const bool ok =
      ctx && EVP_DigestSignInit(ctx.get(), &pctx, EVP_sha256(), nullptr, key) == 1 &&
      EVP_PKEY_CTX_set_rsa_padding(pctx, RSA_PKCS1_PADDING) == 1 &&
      EVP_DigestSignUpdate(ctx.get(), text.data(), text.size()) == 1 &&
      EVP_DigestSignFinal(ctx.get(), nullptr, &len) == 1 && (sig.resize(len), true) &&
      EVP_DigestSignFinal(ctx.get(), reinterpret_cast<unsigned char*>(sig.data()), &len) == 1;
  ERR_clear_error();
  if (!ok) throw Exception("RSA签名失败");
  sig.resize(len);
  return Base64Encode(sig);
}

}  // namespace

std::string TRSAOpenSSL::SignWithPem(std::string_view pem, std::string_view what, std::string_view text) {
  BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  EVP_PKEY* key = bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, NoPassphrase, nullptr) : nullptr;
  ERR_clear_error();
  if (!key) throw Exception("私钥文件无效：" + std::string(what));
  std::unique_ptr<EVP_PKEY, void (*)(EVP_PKEY*)> owned(key, EVP_PKEY_free);
  if (EVP_PKEY_get_base_id(key) != EVP_PKEY_RSA) throw Exception("私钥不是RSA密钥：" + std::string(what));
  return SignWith(key, text);
}

TRSAOpenSSL::TRSAOpenSSL(std::string private_key_path, std::string public_key_path)
    : private_key_path_(std::move(private_key_path)), public_key_path_(std::move(public_key_path)) {}

TRSAOpenSSL::~TRSAOpenSSL() {
  EVP_PKEY_free(private_key_);
  EVP_PKEY_free(public_key_);
}

std::string TRSAOpenSSL::Sign(std::string_view text) {
  if (!private_key_) private_key_ = LoadKey(private_key_path_, KeyKind::kPrivate);
  return SignWith(private_key_, text);
}

bool TRSAOpenSSL::Verify(std::string_view text, std::string_view signature) {
  if (!public_key_) public_key_ = LoadKey(public_key_path_, KeyKind::kPublic);
  const std::string sig = Base64Decode(signature);
  if (sig.empty()) return false;
  MdCtxPtr ctx(EVP_MD_CTX_new());
  EVP_PKEY_CTX* pctx = nullptr;
  const bool ok =
      ctx && EVP_DigestVerifyInit(ctx.get(), &pctx, EVP_sha256(), nullptr, public_key_) == 1 &&
      EVP_PKEY_CTX_set_rsa_padding(pctx, RSA_PKCS1_PADDING) == 1 &&
      EVP_DigestVerifyUpdate(ctx.get(), text.data(), text.size()) == 1 &&
      EVP_DigestVerifyFinal(ctx.get(), reinterpret_cast<const unsigned char*>(sig.data()),
                            sig.size()) == 1;
  ERR_clear_error();
  return ok;
}

}  // namespace velmor
