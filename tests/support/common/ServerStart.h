// Helpers shared by the server fixtures while they start a server (not for tests).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/common/FtpServers.h"

namespace testsupport::detail {

// Records why a Start* call failed, for LastStartFailure().
void setStartFailure(std::string reason);

// A port on `host` that was free a moment ago (bound to port 0 and released), or 0.
uint16_t pickFreePort(const std::string& host);

enum class GreetingResult { Ok, Refused, Other };

// Connects to host:port and reads the first reply line. Ok when it begins with "220";
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

}  // namespace testsupport::detail
