#pragma once
// A throwaway certificate authority and a server certificate signed by it, made in memory so the
// portal stand-in can speak HTTPS without any key material in the repository.

#include <optional>
#include <string>

namespace hengdian::testing {

/// PEM texts of a fresh test CA and of a server certificate for localhost and 127.0.0.1; the
/// second certificate (same key, same CA) is for another host name only.
struct TestCertificates {
  std::string caCertificate;
  std::string serverCertificate;
  std::string serverKey;
  std::string otherHostCertificate;
};

/// Makes new keys and certificates (EC P-256, SHA-256, valid from an hour ago for ten years);
/// nullopt when OpenSSL refuses a step.
std::optional<TestCertificates> makeTestCertificates();

}  // namespace hengdian::testing
