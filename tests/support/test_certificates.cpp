#include "support/test_certificates.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace hengdian::testing {
namespace {

/// Frees an OpenSSL object with `release`, for std::unique_ptr.
template <auto release>
struct Freer {
  void operator()(auto *object) const { release(object); }
};

using Key = std::unique_ptr<EVP_PKEY, Freer<EVP_PKEY_free>>;
using Certificate = std::unique_ptr<X509, Freer<X509_free>>;

constexpr long kValidBeforeNowSeconds = 60L * 60;
constexpr long kValidAfterNowSeconds = 10L * 365 * 24 * 60 * 60;

Key makeKey() {
  return Key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
}

bool setRandomSerial(X509 *certificate) {
  unsigned char bytes[16];
  if (RAND_bytes(bytes, sizeof bytes) != 1) return false;
  bytes[0] &= 0x7f;  // a serial number must be positive
  std::unique_ptr<BIGNUM, Freer<BN_free>> number(BN_bin2bn(bytes, sizeof bytes, nullptr));
  return number && BN_to_ASN1_INTEGER(number.get(), X509_get_serialNumber(certificate)) != nullptr;
}

bool setCommonName(X509 *certificate, const char *organization, const char *commonName) {
  X509_NAME *name = X509_get_subject_name(certificate);
  const auto *org = reinterpret_cast<const unsigned char *>(organization);
  const auto *cn = reinterpret_cast<const unsigned char *>(commonName);
  return X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8, org, -1, -1, 0) == 1 &&
         X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, cn, -1, -1, 0) == 1;
}

/// Adds one extension written in the openssl.cnf notation; `issuer` may be the certificate itself.
bool addExtension(X509 *certificate, X509 *issuer, int nid, const char *value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
  std::unique_ptr<X509_EXTENSION, Freer<X509_EXTENSION_free>> extension(
      X509V3_EXT_conf_nid(nullptr, &context, nid, value));
  return extension && X509_add_ext(certificate, extension.get(), -1) == 1;
}

/// A certificate for `key` with the common fields filled; the issuer name and extensions follow.
Certificate startCertificate(EVP_PKEY *key, const char *commonName) {
  Certificate certificate(X509_new());
  if (!certificate || X509_set_version(certificate.get(), 2) != 1 || !setRandomSerial(certificate.get()) ||
      X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -kValidBeforeNowSeconds) == nullptr ||
      X509_gmtime_adj(X509_getm_notAfter(certificate.get()), kValidAfterNowSeconds) == nullptr ||
      !setCommonName(certificate.get(), "hengdian stand-in sites", commonName) ||
      X509_set_pubkey(certificate.get(), key) != 1) {
    return nullptr;
  }
  return certificate;
}

std::optional<std::string> pemOf(X509 *certificate, EVP_PKEY *key) {
  std::unique_ptr<BIO, Freer<BIO_free>> bio(BIO_new(BIO_s_mem()));
  if (!bio) return std::nullopt;
  bool written = certificate != nullptr
                     ? PEM_write_bio_X509(bio.get(), certificate) == 1
                     : PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
  if (!written) return std::nullopt;
  char *data = nullptr;
  long size = BIO_get_mem_data(bio.get(), &data);
  if (size <= 0 || data == nullptr) return std::nullopt;
  return std::string(data, static_cast<std::size_t>(size));
}

/// Signs `certificate` with `key`, again until both halves of the signature take the full 32
/// bytes: wine's certificate check misreads an ECDSA signature with a shorter half (about one in a
/// hundred) as a wrong one, which made HTTPS tests fail now and then under wine.
bool signWithFullSizeHalves(X509 *certificate, EVP_PKEY *key) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (X509_sign(certificate, key, EVP_sha256()) == 0) return false;
    const ASN1_BIT_STRING *signature = nullptr;
    X509_get0_signature(&signature, nullptr, certificate);
    const unsigned char *bytes = ASN1_STRING_get0_data(signature);
    std::unique_ptr<ECDSA_SIG, decltype(&ECDSA_SIG_free)> halves(
        d2i_ECDSA_SIG(nullptr, &bytes, ASN1_STRING_length(signature)), &ECDSA_SIG_free);
    if (!halves) return false;
    if (BN_num_bytes(ECDSA_SIG_get0_r(halves.get())) == 32 &&
        BN_num_bytes(ECDSA_SIG_get0_s(halves.get())) == 32) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::optional<TestCertificates> makeTestCertificates() {
  Key caKey = makeKey();
  Key serverKey = makeKey();
  if (!caKey || !serverKey) return std::nullopt;

  Certificate ca = startCertificate(caKey.get(), "hengdian stand-in test CA");
  if (!ca || X509_set_issuer_name(ca.get(), X509_get_subject_name(ca.get())) != 1 ||
      !addExtension(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE") ||
      !addExtension(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign") ||
      !addExtension(ca.get(), ca.get(), NID_subject_key_identifier, "hash") ||
      !signWithFullSizeHalves(ca.get(), caKey.get())) {
    return std::nullopt;
  }

  const auto serverCertificate = [&](const char *name, const char *alternativeNames) {
    Certificate server = startCertificate(serverKey.get(), name);
    if (!server || X509_set_issuer_name(server.get(), X509_get_subject_name(ca.get())) != 1 ||
        !addExtension(server.get(), ca.get(), NID_basic_constraints, "critical,CA:FALSE") ||
        !addExtension(server.get(), ca.get(), NID_key_usage, "critical,digitalSignature") ||
        !addExtension(server.get(), ca.get(), NID_ext_key_usage, "serverAuth") ||
        !addExtension(server.get(), ca.get(), NID_subject_alt_name, alternativeNames) ||
        !addExtension(server.get(), ca.get(), NID_subject_key_identifier, "hash") ||
        !addExtension(server.get(), ca.get(), NID_authority_key_identifier, "keyid:always") ||
        !signWithFullSizeHalves(server.get(), caKey.get())) {
      return Certificate();
    }
    return server;
  };
  Certificate server = serverCertificate("localhost", "DNS:localhost,IP:127.0.0.1");
  Certificate otherHost = serverCertificate("elsewhere.invalid", "DNS:elsewhere.invalid");
  if (!server || !otherHost) return std::nullopt;

  auto caPem = pemOf(ca.get(), nullptr);
  auto serverPem = pemOf(server.get(), nullptr);
  auto keyPem = pemOf(nullptr, serverKey.get());
  auto otherHostPem = pemOf(otherHost.get(), nullptr);
  if (!caPem || !serverPem || !keyPem || !otherHostPem) return std::nullopt;
  return TestCertificates{*caPem, *serverPem, *keyPem, *otherHostPem};
}

}  // namespace hengdian::testing
