// Our FTP protocol engine (RFC 959, with RFC 2428 EPSV/EPRT, RFC 3659 MLSD and RFC 2640 UTF8),
// and SFTP over SSH through libssh2, behind the handle-based InternetApi. Every call blocks until
// done or until its deadline; the engine is meant for one thread. Which error code each failure
// gives is listed in InternetApi.h.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "platform/inet/InternetApi.h"

namespace inet {

inline constexpr std::chrono::milliseconds kDefaultConnectTimeout{30'000};
inline constexpr std::chrono::milliseconds kDefaultReplyTimeout{60'000};
inline constexpr std::chrono::milliseconds kDefaultDataIdleTimeout{60'000};
inline constexpr std::chrono::milliseconds kDefaultQuitTimeout{2'000};
inline constexpr const char* kDefaultAnonymousPassword = "anonymous@";
inline constexpr const char* kTrustFileName = "Quillpst.pem";
inline constexpr const char* kKnownHostsFileName = "Quillpst.known_hosts";
inline constexpr const char* kPrivateKeyFileName = "Quillpst.key";

struct EngineOptions {
  // Resolving and connecting to one address (each address of a name gets its own bound), and
  // waiting for the server to connect back in active mode.
  std::chrono::milliseconds connectTimeout = kDefaultConnectTimeout;
  // Waiting for each reply on the control connection.
  std::chrono::milliseconds replyTimeout = kDefaultReplyTimeout;
  // The window in which a data connection must move kMinProgressBytes (1 KiB), counted from the
  // last time it did; a transfer that moves less counts as stalled.
  std::chrono::milliseconds dataIdleTimeout = kDefaultDataIdleTimeout;
  // How long closing a connection waits for the answer to QUIT.
  std::chrono::milliseconds quitTimeout = kDefaultQuitTimeout;
  // A listing longer than this is cut there: the entries read so far are kept.
  size_t maxListingBytes = 64u << 20;
  // A PEM file of certificates trusted for TLS besides the system's store; a missing file is
  // no error. The process's engine uses "Quillpst.pem" beside the executable.
  std::string trustFile;
  // SSH: the host keys trusted, in OpenSSH's known_hosts format; a missing file trusts no host.
  // The process's engine uses "Quillpst.known_hosts" beside the executable.
  std::string knownHostsFile;
  // SSH: an OpenSSH private key tried before the password (a missing file is skipped); when
  // encrypted, its passphrase is the password. The process's engine uses "Quillpst.key".
  std::string privateKeyFile;
  // The password of an anonymous login (a null user name).
  std::string anonymousPassword = kDefaultAnonymousPassword;
};

// A new engine with its own handles. Never null.
std::unique_ptr<InternetApi> MakeFtpEngine(const EngineOptions& options = {});

}  // namespace inet
