#include "cli/demo/bank_keys.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <memory>

#include "host/host_error.h"

namespace velmor::cli {
namespace {

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using Cert = std::unique_ptr<X509, decltype(&X509_free)>;

void Require(bool ok, const char* what) {
  if (!ok) throw host::HostError(std::string("cannot make the demo's bank keys: ") + what);
}

// Writes a PEM file through `write`.
template <class F>
void WritePem(const std::string& path, F write) {
  std::unique_ptr<FILE, decltype(&std::fclose)> f(std::fopen(path.c_str(), "wb"), &std::fclose);
  Require(f != nullptr, path.c_str());
  Require(write(f.get()) == 1, path.c_str());
}

Cert SelfSigned(EVP_PKEY* key) {
  Cert cert(X509_new(), &X509_free);
  Require(cert != nullptr, "X509_new");
  X509_set_version(cert.get(), 2);
  unsigned char serial[8];
  Require(RAND_bytes(serial, sizeof serial) == 1, "RAND_bytes");
  ASN1_INTEGER_set(X509_get_serialNumber(cert.get()),
                   long(serial[0] & 0x7f) << 24 | long(serial[1]) << 16 | long(serial[2]) << 8 | long(serial[3]));
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), 2 * 24 * 3600L);
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
  X509_set_issuer_name(cert.get(), name);
  Require(X509_set_pubkey(cert.get(), key) == 1, "X509_set_pubkey");
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, cert.get(), cert.get(), nullptr, nullptr, 0);
  // The client checks the address it dialled against the subject alternative name.
  const std::pair<int, const char*> extensions[] = {{NID_subject_alt_name, "IP:127.0.0.1"},
                                                    {NID_basic_constraints, "critical,CA:TRUE"}};
  for (const auto& [nid, value] : extensions) {
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    Require(ext != nullptr, "X509V3_EXT_conf_nid");
    X509_add_ext(cert.get(), ext, -1);
    X509_EXTENSION_free(ext);
  }
  Require(X509_sign(cert.get(), key, EVP_sha256()) > 0, "X509_sign");
  return cert;
}

}  // namespace

BankKeys MakeBankKeys(const std::string& folder) {
  BankKeys k{folder + "/bank-tls-cert.pem", folder + "/bank-tls-key.pem", folder + "/sign-key.pem",
             folder + "/sign-pub.pem", ""};
  Key tls(EVP_EC_gen("P-256"), &EVP_PKEY_free);
  Require(tls != nullptr, "EVP_EC_gen");
  Cert cert = SelfSigned(tls.get());
  WritePem(k.tlsKey,
           [&](FILE* f) { return PEM_write_PrivateKey(f, tls.get(), nullptr, nullptr, 0, nullptr, nullptr); });
  WritePem(k.tlsCert, [&](FILE* f) { return PEM_write_X509(f, cert.get()); });
  unsigned char envelope[32];
  Require(RAND_bytes(envelope, sizeof envelope) == 1, "RAND_bytes");
  static const char kHex[] = "0123456789abcdef";
  for (unsigned char b : envelope) {
    k.envelopeKeyHex += kHex[b >> 4];
    k.envelopeKeyHex += kHex[b & 15];
  }
  return k;
}

void MakeSigningKeys(const BankKeys& keys) {
  Key sign(EVP_RSA_gen(2048), &EVP_PKEY_free);
  Require(sign != nullptr, "EVP_RSA_gen");
  WritePem(keys.signKey,
           [&](FILE* f) { return PEM_write_PrivateKey(f, sign.get(), nullptr, nullptr, 0, nullptr, nullptr); });
  // The public key last: the bank takes it as soon as it reads as a key.
  WritePem(keys.signPublicKey, [&](FILE* f) { return PEM_write_PUBKEY(f, sign.get()); });
}

}  // namespace velmor::cli
