// The trust file, the same on every system: read whole through platform/files (the wide file
// API on Windows, so any path the engine can name), then parsed from memory.
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include "platform/files/FileIo.h"
#include "platform/inet/TlsTrust.h"

namespace inet {
namespace {

// A bundle of every public CA is about 200 KiB; a file larger than this is no trust file.
constexpr size_t kMaxTrustFileBytes = 16u << 20;

// Adds every certificate of the PEM text to `store`; false when it breaks the PEM form or holds
// no certificate.
bool addPemCertificates(X509_STORE* store, const std::string& pem) {
  BIO* memory = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
  if (memory == nullptr) return false;
  int added = 0;
  bool broken = false;
  ERR_clear_error();
  while (X509* certificate = PEM_read_bio_X509(memory, nullptr, nullptr, nullptr)) {
    if (X509_STORE_add_cert(store, certificate) == 1) ++added;
    X509_free(certificate);
  }
  // The loop ends at the end of the text ("no start line"); anything else is a broken file.
  const unsigned long error = ERR_peek_last_error();
  if (ERR_GET_LIB(error) != ERR_LIB_PEM || ERR_GET_REASON(error) != PEM_R_NO_START_LINE) {
    broken = error != 0;
  }
  ERR_clear_error();
  BIO_free(memory);
  return added > 0 && !broken;
}

}  // namespace

bool AddTrustFile(X509_STORE* store, const std::string& path) {
  const files::FileStart file = files::ReadFileStart(path, kMaxTrustFileBytes + 1);
  if (file.status.notFound()) return true;
  if (!file.status.ok() || !file.regular || file.bytes.size() > kMaxTrustFileBytes) return false;
  return addPemCertificates(store, file.bytes);
}

}  // namespace inet
