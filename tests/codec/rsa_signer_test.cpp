#include "codec/rsa_signer.h"

#include <gtest/gtest.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <filesystem>
#include <memory>
#include <string>

#include "codec/base64.h"
#include "support/temp_dir.h"
#include "velmor/exceptions.h"

namespace velmor {
namespace {

using velmor::testing::TempDir;
using velmor::testing::WriteFile;

struct PkeyFree {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
using PkeyPtr = std::unique_ptr<EVP_PKEY, PkeyFree>;

enum class Pem { kPkcs8, kTraditional, kEncrypted, kPublic };

bool WriteKey(const std::string& path, EVP_PKEY* key, Pem form) {
  BIO* bio = BIO_new_file(path.c_str(), "wb");
  if (!bio) return false;
  int ok = 0;
  switch (form) {
    case Pem::kPkcs8: ok = PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr); break;
    case Pem::kTraditional:
      ok = PEM_write_bio_PrivateKey_traditional(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
      break;
    case Pem::kEncrypted: {
      unsigned char pass[] = "secret";
      ok = PEM_write_bio_PrivateKey(bio, key, EVP_aes_128_cbc(), pass, 6, nullptr, nullptr);
      break;
    }
    case Pem::kPublic: ok = PEM_write_bio_PUBKEY(bio, key); break;
  }
  BIO_free(bio);
  return ok == 1;
}

// Checks a Base64 signature with OpenSSL directly, apart from the class under test.
bool OpenSslVerifies(EVP_PKEY* key, const std::string& text, const std::string& sig64) {
  const std::string sig = Base64Decode(sig64);
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  EVP_PKEY_CTX* pctx = nullptr;
  const bool ok = EVP_DigestVerifyInit(ctx, &pctx, EVP_sha256(), nullptr, key) == 1 &&
                  EVP_PKEY_CTX_set_rsa_padding(pctx, RSA_PKCS1_PADDING) == 1 &&
                  EVP_DigestVerify(ctx, reinterpret_cast<const unsigned char*>(sig.data()), sig.size(),
                                   reinterpret_cast<const unsigned char*>(text.data()), text.size()) == 1;
  EVP_MD_CTX_free(ctx);
  return ok;
}

class RsaSigner : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    key_ = EVP_RSA_gen(2048);
    other_ = EVP_RSA_gen(2048);
    ASSERT_NE(key_, nullptr);
    ASSERT_NE(other_, nullptr);
  }
  static void TearDownTestSuite() {
    EVP_PKEY_free(key_);
    EVP_PKEY_free(other_);
  }
  void SetUp() override {
    ASSERT_TRUE(WriteKey(dir_.File("private.pem"), key_, Pem::kPkcs8));
    ASSERT_TRUE(WriteKey(dir_.File("public.pem"), key_, Pem::kPublic));
  }
  template <typename F>
  static std::string ErrorOf(F&& f) {
    try {
      f();
    } catch (const Exception& e) {
      return e.what();
    }
    return "(no error)";
  }

  static EVP_PKEY* key_;
  static EVP_PKEY* other_;
  TempDir dir_;
};
EVP_PKEY* RsaSigner::key_ = nullptr;
EVP_PKEY* RsaSigner::other_ = nullptr;

TEST_F(RsaSigner, SignatureVerifiesWithMatchingPublicKey) {
  TRSAOpenSSL rsa(dir_.File("private.pem"), dir_.File("public.pem"));
  const std::string text = "{\"djxh\":\"10114403000012345678\",\"je\":\"1,234.50\",\"xm\":\"张三\"}";
  const std::string sig = rsa.Sign(text);
  // 2048-bit key: 256 signature bytes, 344 Base64 characters, no line breaks.
  EXPECT_EQ(sig.size(), 344u);
  EXPECT_EQ(sig.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(Base64Decode(sig).size(), 256u);
  EXPECT_TRUE(OpenSslVerifies(key_, text, sig));
  EXPECT_TRUE(rsa.Verify(text, sig));
  // PKCS #1 v1.5 is deterministic: the same text gives the same signature.
  EXPECT_EQ(rsa.Sign(text), sig);
}

TEST_F(RsaSigner, SignatureDoesNotVerifyForOtherTextOrKey) {
  TRSAOpenSSL rsa(dir_.File("private.pem"), dir_.File("public.pem"));
  const std::string sig = rsa.Sign("amount=100");
  EXPECT_FALSE(rsa.Verify("amount=101", sig));
  EXPECT_FALSE(OpenSslVerifies(other_, "amount=100", sig));
  EXPECT_FALSE(rsa.Verify("amount=100", "not base64!"));
  EXPECT_FALSE(rsa.Verify("amount=100", ""));
  std::string flipped = Base64Decode(sig);
  flipped[100] ^= 1;
  EXPECT_FALSE(rsa.Verify("amount=100", Base64Encode(flipped)));
}

TEST_F(RsaSigner, SignsEmptyText) {
  TRSAOpenSSL rsa(dir_.File("private.pem"), dir_.File("public.pem"));
  EXPECT_TRUE(OpenSslVerifies(key_, "", rsa.Sign("")));
}

TEST_F(RsaSigner, ReadsTraditionalPemForm) {
  ASSERT_TRUE(WriteKey(dir_.File("rsa.pem"), key_, Pem::kTraditional));
  TRSAOpenSSL rsa(dir_.File("rsa.pem"), "");
  EXPECT_TRUE(OpenSslVerifies(key_, "x", rsa.Sign("x")));
}

TEST_F(RsaSigner, MissingKeyFileIsReported) {
  const std::string missing = dir_.File("none.pem");
  TRSAOpenSSL rsa(missing, missing);
  EXPECT_EQ(ErrorOf([&] { rsa.Sign("x"); }), "打开私钥文件失败：" + missing);
  EXPECT_EQ(ErrorOf([&] { rsa.Verify("x", "AAAA"); }), "打开公钥文件失败：" + missing);
  TRSAOpenSSL no_path("", "");
  EXPECT_EQ(ErrorOf([&] { no_path.Sign("x"); }), "打开私钥文件失败：");
}

TEST_F(RsaSigner, DamagedKeyFileIsReported) {
  const std::string path = dir_.File("bad.pem");
  auto sign_error = [&] { return ErrorOf([&] { TRSAOpenSSL(path, "").Sign("x"); }); };
  ASSERT_TRUE(WriteFile(path, ""));
  EXPECT_EQ(sign_error(), "私钥文件无效：" + path);
  ASSERT_TRUE(WriteFile(path, "garbage, not a key\n"));
  EXPECT_EQ(sign_error(), "私钥文件无效：" + path);
  // A PEM private key whose body was cut in half.
  const std::string good = testing::ReadFile(dir_.File("private.pem"));
  ASSERT_TRUE(WriteFile(path, good.substr(0, good.size() / 2) + "\n-----END PRIVATE KEY-----\n"));
  EXPECT_EQ(sign_error(), "私钥文件无效：" + path);
  // A public key where the private key belongs.
  EXPECT_EQ(ErrorOf([&] { TRSAOpenSSL(dir_.File("public.pem"), "").Sign("x"); }),
            "私钥文件无效：" + dir_.File("public.pem"));
  // A private key where the public key belongs.
  EXPECT_EQ(ErrorOf([&] { TRSAOpenSSL("", dir_.File("private.pem")).Verify("x", "AAAA"); }),
            "公钥文件无效：" + dir_.File("private.pem"));
}

TEST_F(RsaSigner, PassPhraseProtectedKeyIsRefusedWithoutPrompting) {
  const std::string path = dir_.File("locked.pem");
  ASSERT_TRUE(WriteKey(path, key_, Pem::kEncrypted));
  EXPECT_EQ(ErrorOf([&] { TRSAOpenSSL(path, "").Sign("x"); }), "私钥文件无效：" + path);
}

TEST_F(RsaSigner, NonRsaKeyIsReported) {
  PkeyPtr ec(EVP_EC_gen("P-256"));
  ASSERT_TRUE(ec);
  const std::string priv = dir_.File("ec.pem"), pub = dir_.File("ec-pub.pem");
  ASSERT_TRUE(WriteKey(priv, ec.get(), Pem::kPkcs8));
  ASSERT_TRUE(WriteKey(pub, ec.get(), Pem::kPublic));
  TRSAOpenSSL rsa(priv, pub);
  EXPECT_EQ(ErrorOf([&] { rsa.Sign("x"); }), "私钥不是RSA密钥：" + priv);
  EXPECT_EQ(ErrorOf([&] { rsa.Verify("x", "AAAA"); }), "公钥不是RSA密钥：" + pub);
}

TEST_F(RsaSigner, KeyIsKeptAfterFirstUse) {
  TRSAOpenSSL rsa(dir_.File("private.pem"), "");
  const std::string sig = rsa.Sign("x");
  std::filesystem::remove(dir_.File("private.pem"));
  EXPECT_EQ(rsa.Sign("x"), sig);
}

}  // namespace
}  // namespace velmor
