#include "platform/inet/HostKeyReport.h"

#include <vector>

#include "platform/inet/ServerAddress.h"
#include "platform/inet/SshHostCheck.h"

namespace inet {

uint32_t WriteServerHostKeys(const std::string& serverName, const EngineOptions& options,
                             std::ostream& out) {
  const auto address = ParseServerAddress(serverName, kDefaultFtpPort);
  if (!address || address->protocol != Protocol::Sftp) return kErrorInvalidParameter;
  std::vector<HostKey> keys;
  const Status status = ReadServerHostKeys(*address, options, &keys);
  if (!status.ok()) return status.error;
  for (const HostKey& key : keys) {
    out << "# " << key.type << " " << HostKeyFingerprint(key) << "\n"
        << KnownHostsLine(address->host, address->port, key) << "\n";
  }
  return kErrorSuccess;
}

}  // namespace inet
