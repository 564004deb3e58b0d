// qp_test_serve: one of the test suite's FTP or SSH servers, for tests that are not C++ (the
// wine runs of the Windows programs). Starts the server as the C++ tests do, prints what a
// client needs, then serves until its standard input closes or it gets SIGTERM, and stops the
// server.
//
// Usage: qp_test_serve pyftpdlib|vsftpd|proftpd|pure-ftpd|scripted:SCENARIO
//                      [--tls explicit|implicit --cert FILE]
//        qp_test_serve sshd|proftpd-sftp [--authorized-key FILE] [--sshd-config LINE]...
//        qp_test_serve scripted-ssh:SCENARIO
// FILE holds the server's certificate and key (PEM), such as those make_test_certificates.sh
// makes; for the SSH servers, public keys in OpenSSH's one-line form that the user may log in
// with. --sshd-config adds a line to sshd's configuration ("PasswordAuthentication no").
// Prints, one a line: host=, port=, user=, password=, root=, for the SSH servers one
// hostkey= per host key (a known_hosts line), then "ready".
// Requests on standard input, one a line, each answered by lines "| ..." and a line ".":
// "commands" (the command log, pyftpdlib and the scripted ones only), "output" (the server's
// output, proftpd's TLS log among it), "hand-root" (gives what the caller placed in root to
// the server).
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <iostream>
#include <map>
#include <string>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/SshServers.h"
#include "tests/support/common/TempDir.h"

namespace {

using testsupport::FtpServer;
using testsupport::TlsMode;

volatile sig_atomic_t g_stop = 0;

void onSignal(int) { g_stop = 1; }

struct Request {
  std::string server;
  TlsMode tls = TlsMode::None;
  std::string certificate;
  std::string authorizedKeys;  // the SSH servers'
  std::string sshdConfig;
};

bool isSshServer(const std::string& server) { return server == "sshd" || server == "proftpd-sftp"; }

bool parse(int argc, char** argv, Request* request) {
  if (argc < 2) return false;
  request->server = argv[1];
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string option = argv[i], value = argv[i + 1];
    if (option == "--tls" && (value == "explicit" || value == "implicit")) {
      request->tls = value == "explicit" ? TlsMode::Explicit : TlsMode::Implicit;
    } else if (option == "--cert") {
      request->certificate = value;
    } else if (option == "--authorized-key" && isSshServer(request->server)) {
      request->authorizedKeys += testsupport::ReadFile(value);
    } else if (option == "--sshd-config" && request->server == "sshd") {
      request->sshdConfig += value + "\n";
    } else {
      return false;
    }
  }
  return argc % 2 == 0 && (request->tls == TlsMode::None) == request->certificate.empty();
}

std::unique_ptr<FtpServer> start(const Request& request) {
  const std::string& pem = request.certificate;
  const bool implicit = request.tls == TlsMode::Implicit;
  if (request.server == "vsftpd") return testsupport::StartVsftpd({request.tls, pem});
  if (request.server == "proftpd") return testsupport::StartProftpd({pem, implicit});
  if (implicit) return testsupport::detail::Started(nullptr, "no implicit TLS in this server");
  if (request.server == "pyftpdlib") return testsupport::StartPyftpdlib({.tlsCertificate = pem});
  if (request.server == "pure-ftpd") return testsupport::StartPureFtpd({pem});
  if (request.server == "sshd") {
    return testsupport::StartSshd({request.authorizedKeys, request.sshdConfig});
  }
  if (request.server == "proftpd-sftp") {
    return testsupport::StartProftpdSftp(request.authorizedKeys);
  }
  const std::string scriptedSsh = "scripted-ssh:";
  if (request.server.rfind(scriptedSsh, 0) == 0) {
    return testsupport::StartScriptedSshd(request.server.substr(scriptedSsh.size()));
  }
  const std::string scripted = "scripted:";
  if (request.server.rfind(scripted, 0) == 0) {
    return testsupport::StartScriptedFtpd(request.server.substr(scripted.size()), pem);
  }
  return testsupport::detail::Started(nullptr, "no such server");
}

void answer(const std::string& text) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::cout << "| " << text.substr(start, end - start) << "\n";
    start = end + 1;
  }
  std::cout << "." << std::endl;
}

// Serves requests until standard input closes or a signal asks to stop.
void serve(const FtpServer& server) {
  std::string line;
  while (!g_stop) {
    pollfd in = {STDIN_FILENO, POLLIN, 0};
    if (poll(&in, 1, 200) <= 0) continue;
    if (!std::getline(std::cin, line)) return;
    if (line == "commands") {
      std::string log;
      for (const std::string& command : server.commands()) log += command + "\n";
      answer(log);
    } else if (line == "output") {
      answer(server.serverOutput());
    } else if (line == "hand-root") {
      server.handRootToServer();
      answer("");
    } else {
      answer("unknown request " + line);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  Request request;
  if (!parse(argc, argv, &request)) {
    std::cerr << "usage: qp_test_serve pyftpdlib|vsftpd|proftpd|pure-ftpd|scripted:SCENARIO "
                 "[--tls explicit|implicit --cert FILE]\n"
                 "       qp_test_serve sshd|proftpd-sftp [--authorized-key FILE] "
                 "[--sshd-config LINE]...\n"
                 "       qp_test_serve scripted-ssh:SCENARIO\n";
    return 64;
  }
  signal(SIGTERM, onSignal);
  signal(SIGINT, onSignal);
  std::unique_ptr<FtpServer> server = start(request);
  if (!server) {
    std::cerr << "qp_test_serve: " << request.server
              << " did not start: " << testsupport::LastStartFailure() << "\n";
    return 1;
  }
  std::cout << "host=" << server->host() << "\nport=" << server->port()
            << "\nuser=" << server->user() << "\npassword=" << server->password()
            << "\nroot=" << server->root() << "\n";
  std::string hostKeys = server->hostKeys();
  for (size_t start = 0; start < hostKeys.size();) {
    size_t end = hostKeys.find('\n', start);
    if (end == std::string::npos) end = hostKeys.size();
    if (end > start) std::cout << "hostkey=" << hostKeys.substr(start, end - start) << "\n";
    start = end + 1;
  }
  std::cout << "ready" << std::endl;
  serve(*server);
  return 0;
}
