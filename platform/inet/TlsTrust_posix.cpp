// Trust on Linux: OpenSSL's default paths, which Debian's ca-certificates fills. There is no
// other judge of a chain: OpenSSL's verdict stands.
#include <openssl/x509.h>

#include "platform/inet/TlsTrust.h"

namespace inet {

void AddSystemTrust(X509_STORE* store) { X509_STORE_set_default_paths(store); }

bool HasSystemChainEngine() { return false; }

bool SystemTrustsChain(CertificateChain*, const std::string&) { return false; }

}  // namespace inet
