// For a command line's --print-host-key: the host keys of the SSH server a server name
// ("sftp://host[:port]") names, as lines for Quillpst.known_hosts, each after a comment line
// with its fingerprint. One key exchange per key type, as ssh-keyscan makes them; nothing is
// authenticated and no known_hosts file is read.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "platform/inet/FtpEngine.h"

namespace inet {

// Writes "# TYPE SHA256:..." and the known_hosts line of each key to `out`. Returns 0, or the
// engine's error code: kErrorInvalidParameter for a name that is no sftp:// name, the codes of
// a connection that cannot be made, kErrorSshNegotiationFailed for a server that shows no key
// of a type we can check.
uint32_t WriteServerHostKeys(const std::string& serverName, const EngineOptions& options,
                             std::ostream& out);

}  // namespace inet
