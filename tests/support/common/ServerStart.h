// Helpers shared by the server fixtures while they start a server (not for tests).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/Process.h"

namespace testsupport::detail {

// Records why a Start* call failed, for LastStartFailure().
void setStartFailure(std::string reason);

// A port on the IPv4 address `host` that was free a moment ago (bound to port 0 and released),
// or 0.
uint16_t pickFreePort(const std::string& host);

enum class GreetingResult { Ok, Refused, Other };

// Connects to host:port (IPv4) and reads the first reply line. Ok when it begins with "220";
// Refused when nothing listens; Other for anything else (text in `detail`). A server in TLS
// from the first byte (`tlsFirst`) says nothing in clear: a connection is enough.
GreetingResult readGreeting(const std::string& host, uint16_t port, std::string& detail,
                            bool tlsFirst = false);

// Deadline for a server to come up.
inline constexpr std::chrono::seconds kStartTimeout{10};

// A server that is a Python script run by Debian's python3: it prints its port as the first
// line of its standard output and appends each command line it receives to a log file, one a
// line, with backslash, CR and LF escaped as "\\", "\r" and "\n".
class PythonServer : public FtpServer {
 public:
  PythonServer(std::string host, std::string user, std::string password)
      : FtpServer(std::move(host), std::move(user), std::move(password)) {}
  std::vector<std::string> commands() const override;
  // Runs `script` with `arguments` and "--command-log FILE" and reads the port it prints.
  // Returns "" or why it failed.
  std::string start(const std::string& script, std::vector<std::string> arguments);

 private:
  std::string commandLog() const { return m_work.file("commands.log"); }
};

// Starts `server` as PythonServer::start does. Returns it, or nullptr with the reason recorded
// for LastStartFailure().
std::unique_ptr<FtpServer> StartPythonServer(std::unique_ptr<PythonServer> server,
                                             const std::string& script,
                                             std::vector<std::string> arguments);

// The system user the sessions of vsftpd, proftpd and pure-ftpd run as. Created when missing
// (home "/", no login shell, no password) under the setup lock; vsftpd's fixture sets its
// password.
inline constexpr const char* kSessionUser = "qptester";

// The log-in that proftpd and pure-ftpd read from user files of their own, and the SHA-512
// crypt of its password (openssl passwd -6 -salt qpfixture): a slower hash would cost a
// noticeable time at every log-in.
inline constexpr const char* kFileUser = "tester";
inline constexpr const char* kFilePassword = "t3st-Pass";
inline constexpr const char* kFilePasswordHash =
    "$6$qpfixture$pHNfXVwUA06OhKDMiUw5HW5VdKmrAgvnNT3nooo6Phnk6bpFV4K8BIOLxpi1zWLsUQOXp/"
    "r1sdr5cDIxzruMD1";

// Holds a file lock that serialises changes to system users and files between test processes
// that set them up at the same time. ok() is false when it could not be taken.
class SetupLock {
 public:
  SetupLock();
  ~SetupLock();
  SetupLock(const SetupLock&) = delete;
  SetupLock& operator=(const SetupLock&) = delete;
  bool ok() const { return m_fd >= 0; }

 private:
  int m_fd = -1;
};

// Runs a setup command; returns "" or why it failed.
std::string runSetup(const std::vector<std::string>& argv);

// Makes sure kSessionUser exists; call it with a SetupLock held. Returns "" or why it failed.
std::string ensureSessionUser();

// A server binary that serves root() to sessions running as kSessionUser and listens on a port
// named in its configuration.
class AccountServer : public FtpServer {
 public:
  using FtpServer::FtpServer;
  // Gives root() and everything below it to kSessionUser.
  void handRootToServer() const override;

 protected:
  // Makes kSessionUser (see ensureSessionUser) and lets its sessions reach and own root().
  // Its uid and gid go to `uid` and `gid`. Returns "" or why it failed.
  std::string prepareRoot(uid_t* uid, gid_t* gid);

  // Tries up to 5 free ports: for each, set in m_port, `commandLine()` writes the configuration
  // and returns the command line (empty when it cannot), which runs with `environment` and its
  // output in server.out, until the server greets (`tlsFirst`: a connection is enough). Output
  // holding `busyText` means the port was taken meanwhile: the next one is tried. Returns "" or
  // why it failed; on success m_pid is the server's.
  std::string launch(const std::string& name,
                     const std::function<std::vector<std::string>()>& commandLine,
                     const ProcessOptions& environment, const std::string& busyText,
                     bool tlsFirst = false);

 private:
  // One attempt of launch() on m_port: "" on success, "busy", or why it failed.
  std::string launchOnce(const std::string& name, const std::vector<std::string>& command,
                         const ProcessOptions& environment, const std::string& busyText,
                         bool tlsFirst);
};

// Why `name` cannot run here: it needs root (it serves as a system user) and `binary`, as
// scripts/setup-tests unpacks it. "" when it can.
std::string cannotStart(const std::string& name, const std::string& binary);

// Makes a `Server` (an AccountServer with `std::string start(const Options&)`) and starts it.
// Returns it, or nullptr with the reason recorded for LastStartFailure().
template <class Server, class Options>
std::unique_ptr<FtpServer> StartAccountServer(const std::string& name, const std::string& binary,
                                              const Options& options) {
  auto server = std::make_unique<Server>();
  std::string failure = cannotStart(name, binary);
  if (failure.empty()) failure = server->start(options);
  setStartFailure(failure);
  if (!failure.empty()) return nullptr;
  return server;
}

}  // namespace testsupport::detail
