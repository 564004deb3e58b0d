// A look at a TLS server's certificate before it is trusted (--print-certificate), so that a
// user can compare its fingerprint with the host's and keep it as the trust file: the
// connection goes as far as the handshake and no further, and no credential is sent.
#pragma once

#include <cstdint>
#include <string>

#include "platform/inet/CertificateDescription.h"
#include "platform/inet/FtpEngine.h"

namespace inet {

struct CertificateProbeResult {
  uint32_t error = kErrorSuccess;      // an error code of InternetApi.h
  std::string text;                    // for a failure: the server's reply or the reason (CP932)
  CertificateDescription certificate;  // on success
};

// Connects to `serverName` (CP932, with its scheme and port as InternetConnectA takes it), for
// "ftpes://" reads the greeting and asks AUTH TLS, completes the TLS handshake taking whatever
// certificate the server shows, reads it and ends the connection. A name that asks for no TLS
// gives kErrorInvalidParameter without connecting. Bounded by `options`' deadlines.
CertificateProbeResult ProbeServerCertificate(const std::string& serverName, int32_t defaultPort,
                                              const EngineOptions& options);

}  // namespace inet
