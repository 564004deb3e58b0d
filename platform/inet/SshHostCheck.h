// Internal to the engine: the SSH connection up to the checked host key. The key the server
// shows in the key exchange is judged by the known_hosts file before anything else is sent: an
// unknown key or one that differs from the stored one ends the connection at once, with a text
// that names the key type and its SHA256 fingerprint (and for an unknown key, how to get the
// line to add).
#pragma once

#include <string>
#include <vector>

#include "platform/inet/FtpStatus.h"
#include "platform/inet/KnownHosts.h"
#include "platform/inet/ServerAddress.h"
#include "platform/inet/SshTransport.h"

namespace inet {

// Connects `ssh` to `address`, asking first for the key types the file holds for it, and checks
// the key: kErrorSshHostKeyUnknown or kErrorSshHostKeyChanged (as explained failures, whose
// last response holds the details) leave `ssh` dead.
Status ConnectCheckingHostKey(SshTransport& ssh, const ServerAddress& address,
                              const std::string& knownHostsFile);

// The details of an unknown key (CP932, lines separated by CR LF): its type and fingerprint,
// and the ssh-keyscan command whose line for the type is the one to add, when all of it fits
// the 255 bytes a failure box reads along with the message.
std::string UnknownHostKeyDetail(const std::string& host, uint16_t port, const HostKey& key);

// Each key the server has of the types we can use, one handshake each, as ssh-keyscan finds
// them; authenticates nothing. Fails only when the server cannot be reached or shows none.
Status ReadServerHostKeys(const ServerAddress& address, const EngineOptions& options,
                          std::vector<HostKey>* keys);

}  // namespace inet
