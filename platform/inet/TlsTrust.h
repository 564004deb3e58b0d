// Internal to the engine's TLS: whom it trusts, the part that differs between systems. The
// system's certificates (Debian's store; the Windows certificate stores), the trust file, and on
// Windows the system's own chain engine, asked about an issuer OpenSSL does not know.
#pragma once

#include <openssl/types.h>

#include <string>

namespace inet {

// The certificates a server sent, its own first.
using CertificateChain = STACK_OF(X509);

// Adds the system's trusted certificates to `store`. Linux: OpenSSL's default paths (Debian's
// ca-certificates). Windows: the ROOT stores of the current user and of the local machine; a
// certificate there that OpenSSL cannot read is skipped, the others still load.
void AddSystemTrust(X509_STORE* store);

// Adds every certificate of the PEM file at `path` (UTF-8) to `store`. True when there is no
// file there; false when it cannot be read, is no regular file, breaks the PEM form or holds
// no certificate (never "trust anything").
[[nodiscard]] bool AddTrustFile(X509_STORE* store, const std::string& path);

// True where the system has a chain engine to ask (Windows): OpenSSL's check of a certificate
// whose only fault is an issuer it does not trust then goes on, and the chain engine decides
// about the issuer once every other check has passed.
bool HasSystemChainEngine();

// Whether the system's chain engine trusts `chain` (as the server sent it, its certificate
// first) for a TLS server named `host` (a name or an address literal): a chain to a root the
// system trusts, valid now, for server authentication, naming `host`. It can only add trust
// in an issuer; the caller's own checks of name, dates and usage must have passed already.
// Always false where there is no chain engine.
bool SystemTrustsChain(CertificateChain* chain, const std::string& host);

}  // namespace inet
