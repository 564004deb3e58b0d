// qp_cert_store: adds a certificate to one of the current user's certificate stores, or removes
// it again, for the wine runs that check that Quillpost.exe trusts what Windows trusts (wine
// keeps the stores in its registry).
// Usage: qp_cert_store add|remove FILE [STORE] (a PEM or DER certificate; the store "ROOT"
// unless named, "CA" for intermediates). Exit status 0 when done.
#include <windows.h>
// After windows.h, which it needs:
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The DER bytes of the certificate in `text`, which may be PEM.
std::vector<BYTE> derOf(const std::string& text) {
  DWORD size = 0;
  if (CryptStringToBinaryA(text.data(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64HEADER,
                           nullptr, &size, nullptr, nullptr)) {
    std::vector<BYTE> der(size);
    if (CryptStringToBinaryA(text.data(), static_cast<DWORD>(text.size()),
                             CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr)) {
      der.resize(size);
      return der;
    }
  }
  return std::vector<BYTE>(text.begin(), text.end());
}

bool removeFrom(HCERTSTORE store, PCCERT_CONTEXT certificate) {
  PCCERT_CONTEXT found = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING,
                                                    certificate, nullptr);
  return found != nullptr && CertDeleteCertificateFromStore(found);  // frees `found`
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: qp_cert_store add|remove FILE [STORE]\n");
    return 64;
  }
  const std::wstring action = argv[1];
  std::ifstream file(argv[2], std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::vector<BYTE> der = derOf(text);
  // The store in the registry itself: wine drops a deletion made through the system store that
  // gathers it with others.
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0,
                                   CERT_SYSTEM_STORE_CURRENT_USER, argc == 4 ? argv[3] : L"ROOT");
  if (store == nullptr || der.empty()) {
    std::fprintf(stderr, "qp_cert_store: no store or no certificate (%lu)\n", GetLastError());
    return 1;
  }
  bool done = false;
  if (action == L"add") {
    done = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(),
                                            static_cast<DWORD>(der.size()),
                                            CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  } else if (action == L"remove") {
    PCCERT_CONTEXT certificate =
        CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
    done = certificate != nullptr && removeFrom(store, certificate);
    if (certificate != nullptr) CertFreeCertificateContext(certificate);
  }
  if (!done) std::fprintf(stderr, "qp_cert_store: %ls failed (%lu)\n", argv[1], GetLastError());
  CertCloseStore(store, 0);
  return done ? 0 : 1;
}
