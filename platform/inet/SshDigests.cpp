#include "platform/inet/SshDigests.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

namespace inet {

std::string HmacSha1(std::string_view key, std::string_view data) {
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (HMAC(EVP_sha1(), key.data(), static_cast<int>(key.size()),
           reinterpret_cast<const unsigned char*>(data.data()), data.size(), out,
           &length) == nullptr) {
    return {};
  }
  return std::string(reinterpret_cast<const char*>(out), length);
}

std::string Sha256(std::string_view data) {
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(data.data(), data.size(), out, &length, EVP_sha256(), nullptr) != 1) return {};
  return std::string(reinterpret_cast<const char*>(out), length);
}

}  // namespace inet
