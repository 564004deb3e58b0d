// A server's certificate as a person compares it: PEM, subject, issuer, validity (UTC) and the
// SHA-256 fingerprint ("AB:CD:..."), as `openssl x509 -fingerprint -sha256` shows it.
#pragma once

#include <string>

namespace inet {

struct CertificateDescription {
  std::string pem;
  std::string subject;
  std::string issuer;
  std::string notBefore;
  std::string notAfter;
  std::string sha256;
};

}  // namespace inet
