// Trust on Windows: the roots of the Windows certificate stores that Windows trusts for servers,
// copied into OpenSSL's store; and the Windows chain engine as a second opinion. Windows
// installs many of its roots only when its own chain engine asks for one, so a root the user's
// browser trusts may be missing from the stores read here: for a chain whose only fault in
// OpenSSL's eyes is an unknown issuer, the chain engine is asked whether it trusts it (it also
// uses the intermediates of the "CA" stores, and fetches what it is missing, as it does for
// the user's browser).
//
// The stores' intermediates are not copied into OpenSSL's store: the engine accepts a partial
// chain (a trusted certificate ends it where it stands), so every certificate there would be
// a trust anchor.
#include <windows.h>
// After windows.h, which it needs; OpenSSL after wincrypt.h, whose names it takes back.
#include <wincrypt.h>

#include <openssl/err.h>
#include <openssl/x509.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/files/Files.h"
#include "platform/inet/TlsTrust.h"

namespace inet {
namespace {

HCERTSTORE openSystemStore(DWORD location, const wchar_t* name) {
  return CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                       location | CERT_STORE_READONLY_FLAG | CERT_STORE_OPEN_EXISTING_FLAG, name);
}

// True unless Windows itself would not take `root` as the issuer of a server's certificate:
// the user or the computer put it among the untrusted certificates ("Disallowed"), or its
// properties limit it to uses other than server authentication (as certmgr's "disable all
// purposes" does).
bool trustedForServers(PCCERT_CONTEXT root, const std::vector<HCERTSTORE>& disallowed) {
  for (HCERTSTORE store : disallowed) {
    PCCERT_CONTEXT found =
        CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, root, nullptr);
    if (found != nullptr) {
      CertFreeCertificateContext(found);
      return false;
    }
  }
  DWORD size = 0;
  if (!CertGetEnhancedKeyUsage(root, CERT_FIND_PROP_ONLY_ENHKEY_USAGE_FLAG, nullptr, &size)) {
    return true;  // no limit set
  }
  std::vector<BYTE> buffer(size);
  auto* usage = reinterpret_cast<CERT_ENHKEY_USAGE*>(buffer.data());
  if (!CertGetEnhancedKeyUsage(root, CERT_FIND_PROP_ONLY_ENHKEY_USAGE_FLAG, usage, &size)) {
    return false;
  }
  for (DWORD i = 0; i < usage->cUsageIdentifier; ++i) {
    if (std::strcmp(usage->rgpszUsageIdentifier[i], szOID_PKIX_KP_SERVER_AUTH) == 0) return true;
  }
  return false;
}

// Adds every root of the system store `name` at `location` that Windows trusts for servers to
// `store`. A certificate that OpenSSL cannot read is skipped: one bad entry must not cost the
// user every other root.
void addSystemStore(X509_STORE* store, DWORD location, const wchar_t* name,
                    const std::vector<HCERTSTORE>& disallowed) {
  HCERTSTORE system = openSystemStore(location, name);
  if (system == nullptr) return;
  PCCERT_CONTEXT entry = nullptr;
  while ((entry = CertEnumCertificatesInStore(system, entry)) != nullptr) {
    if (!trustedForServers(entry, disallowed)) continue;
    const unsigned char* der = entry->pbCertEncoded;
    X509* certificate = d2i_X509(nullptr, &der, static_cast<long>(entry->cbCertEncoded));
    if (certificate == nullptr) continue;
    X509_STORE_add_cert(store, certificate);  // a duplicate of another store's is refused
    X509_free(certificate);
  }
  CertCloseStore(system, 0);
  ERR_clear_error();
}

// An in-memory store holding `chain`; `*leaf` is its first certificate there. Null when a
// certificate cannot be encoded or added.
HCERTSTORE memoryStore(CertificateChain* chain, PCCERT_CONTEXT* leaf) {
  HCERTSTORE memory = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
  if (memory == nullptr) return nullptr;
  bool complete = true;
  for (int i = 0; complete && i < sk_X509_num(chain); ++i) {
    unsigned char* der = nullptr;
    const int length = i2d_X509(sk_X509_value(chain, i), &der);
    complete = length > 0 &&
               CertAddEncodedCertificateToStore(memory, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                                                der, static_cast<DWORD>(length),
                                                CERT_STORE_ADD_ALWAYS, i == 0 ? leaf : nullptr);
    OPENSSL_free(der);
  }
  if (complete && *leaf != nullptr) return memory;
  if (*leaf != nullptr) CertFreeCertificateContext(*leaf);
  *leaf = nullptr;
  CertCloseStore(memory, 0);
  return nullptr;
}

// The chain engine's chain for `leaf`, for server authentication, with `extra` as further
// certificates it may use (the server's intermediates). Null when it builds none.
PCCERT_CHAIN_CONTEXT buildChain(PCCERT_CONTEXT leaf, HCERTSTORE extra) {
  LPSTR serverAuth[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
  CERT_CHAIN_PARA para{};
  para.cbSize = sizeof para;
  para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  para.RequestedUsage.Usage.cUsageIdentifier = 1;
  para.RequestedUsage.Usage.rgpszUsageIdentifier = serverAuth;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  if (!CertGetCertificateChain(nullptr, leaf, nullptr, extra, &para, 0, nullptr, &chain)) {
    return nullptr;
  }
  return chain;
}

// The SSL policy on `chain` for a server named `host`: a trusted root, valid dates, the
// server usage and the name, as Windows checks them for its own TLS clients.
bool passesSslPolicy(PCCERT_CHAIN_CONTEXT chain, const std::string& host) {
  const std::u16string name = files::FromFileSystemPath(host);
  std::wstring serverName(name.begin(), name.end());
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
  ssl.cbSize = sizeof ssl;
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.pwszServerName = serverName.data();
  CERT_CHAIN_POLICY_PARA policy{};
  policy.cbSize = sizeof policy;
  policy.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS status{};
  status.cbSize = sizeof status;
  return CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status) &&
         status.dwError == 0;
}

}  // namespace

void AddSystemTrust(X509_STORE* store) {
  std::vector<HCERTSTORE> disallowed;
  for (DWORD location : {CERT_SYSTEM_STORE_CURRENT_USER, CERT_SYSTEM_STORE_LOCAL_MACHINE}) {
    if (HCERTSTORE opened = openSystemStore(location, L"Disallowed")) disallowed.push_back(opened);
  }
  addSystemStore(store, CERT_SYSTEM_STORE_CURRENT_USER, L"ROOT", disallowed);
  addSystemStore(store, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT", disallowed);
  for (HCERTSTORE opened : disallowed) CertCloseStore(opened, 0);
}

bool HasSystemChainEngine() { return true; }

bool SystemTrustsChain(CertificateChain* chain, const std::string& host) {
  if (chain == nullptr || sk_X509_num(chain) == 0 || host.empty()) return false;
  PCCERT_CONTEXT leaf = nullptr;
  HCERTSTORE memory = memoryStore(chain, &leaf);
  if (memory == nullptr) return false;
  bool trusted = false;
  if (PCCERT_CHAIN_CONTEXT built = buildChain(leaf, memory)) {
    // A chain with any fault of its own (an untrusted root, a missing link, a bad signature,
    // dates) is refused whatever the policy says of it: wine's policy passes partial chains.
    trusted =
        built->TrustStatus.dwErrorStatus == CERT_TRUST_NO_ERROR && passesSslPolicy(built, host);
    CertFreeCertificateChain(built);
  }
  CertFreeCertificateContext(leaf);
  CertCloseStore(memory, 0);
  return trusted;
}

}  // namespace inet
