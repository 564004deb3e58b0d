// Reads arbitrary bytes as a known_hosts file and checks what any file must give: a line for
// the server added at its end makes the key known (or revoked, when the file revokes it) and
// its type asked for; base64 of the bytes decodes back to them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/inet/Base64.h"
#include "platform/inet/KnownHosts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const inet::HostKey key{"ssh-ed25519", std::string("\0\0\0\x0bssh-ed25519key-bytes", 24)};
  for (const uint16_t port : {uint16_t{22}, uint16_t{2222}}) {
    (void)inet::CheckHostKey(bytes, "host.example", port, key);
    const std::string file = bytes + "\n" + inet::KnownHostsLine("Host.Example", port, key) + "\n";
    const inet::HostKeyVerdict verdict = inet::CheckHostKey(file, "host.example", port, key);
    if (verdict != inet::HostKeyVerdict::Known && verdict != inet::HostKeyVerdict::Revoked) {
      std::abort();
    }
    const auto types = inet::KnownKeyTypes(file, "host.example", port);
    if (std::find(types.begin(), types.end(), key.type) == types.end()) std::abort();
  }
  for (const bool pad : {true, false}) {
    const auto decoded = inet::Base64Decode(inet::Base64Encode(bytes, pad));
    if (!decoded || *decoded != bytes) std::abort();
  }
  return 0;
}
