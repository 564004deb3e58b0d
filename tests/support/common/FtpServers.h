// FTP servers for tests, each started as a child process on a free loopback port and serving a
// fresh temporary folder: pyftpdlib (any user, IPv4 or IPv6, every command logged), vsftpd,
// proftpd and pure-ftpd (need root; sessions run as a system user) and the scripted
// misbehaving server.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/common/TempDir.h"

namespace testsupport {

// A running server. The destructor stops it by its PID (SIGTERM, then SIGKILL after a grace
// period, together with any session processes it forked), reaps it and removes its folders.
class FtpServer {
 public:
  virtual ~FtpServer();
  FtpServer(const FtpServer&) = delete;
  FtpServer& operator=(const FtpServer&) = delete;

  // "127.0.0.1", or "::1" for an IPv6 server.
  const std::string& host() const { return m_host; }
  uint16_t port() const { return m_port; }
  // Host and port as a server name with a port: "127.0.0.1:2121", "[::1]:2121".
  std::string address() const;
  // The served folder, where the user starts.
  const std::string& root() const { return m_root.path(); }
  const std::string& user() const { return m_user; }
  const std::string& password() const { return m_password; }
  pid_t pid() const { return m_pid; }

  // Every command line the server received since it started, in order, as sent (without
  // CR LF), the argument of PASS replaced by "****". Only pyftpdlib and the scripted server
  // keep this log; for the others the call fails the test, since a check that a command was
  // never sent would pass unseen.
  virtual std::vector<std::string> commands() const;

  // Gives every file and folder below root() to the account the server writes with, so that
  // the server may overwrite and delete what a test placed there. Call it after arranging
  // files in root(). Nothing to do where the server runs as root (pyftpdlib).
  virtual void handRootToServer() const {}

  // What the server wrote to its standard output and error so far (for failure messages); for
  // proftpd also its TLS log.
  std::string serverOutput() const;

  // SSH servers (SshServers.h): the server's host keys as known_hosts lines, one a line.
  const std::string& hostKeys() const { return m_hostKeys; }

 protected:
  FtpServer(std::string host, std::string user, std::string password);

  std::string m_host;
  uint16_t m_port = 0;
  std::string m_user;
  std::string m_password;
  TempDir m_root;  // the served folder
  TempDir m_work;  // configuration, logs and output of the server
  pid_t m_pid = -1;
  std::string m_hostKeys;
};

// Why the last Start* call of this thread returned nullptr ("" after a success). Tests that
// need a server skip or fail with it: `if (!server) GTEST_SKIP() << LastStartFailure();`.
std::string LastStartFailure();

namespace detail {
// For the Start* functions: records `failure` for LastStartFailure() and returns `server`, or
// nullptr when `failure` is not empty.
std::unique_ptr<FtpServer> Started(std::unique_ptr<FtpServer> server, const std::string& failure);
}  // namespace detail

struct PyftpdlibOptions {
  bool ipv6 = false;  // listen on ::1 instead of 127.0.0.1
  // A PEM file with certificate and key: explicit TLS (RFC 4217), required on the control
  // connection and on every data connection.
  std::string tlsCertificate = {};
};

// Starts pyftpdlib with /usr/bin/python3 (Debian's interpreter, which has the module) and
// waits until it listens. Logs in "tester" with the password "t3st-Pass". Passive ports come
// from the OS; active mode (PORT/EPRT) works towards loopback. commands() holds every line
// received, also unknown and refused ones.
// Returns nullptr when the server does not come up; LastStartFailure() says why.
std::unique_ptr<FtpServer> StartPyftpdlib(const PyftpdlibOptions& options = {});

enum class TlsMode { None, Explicit, Implicit };

struct VsftpdOptions {
  // TLS required for log-ins and every data connection, with data connections required to
  // reuse the control connection's TLS session (vsftpd's default), and the certificate and key
  // of `tlsCertificate`. Implicit: TLS from the first byte.
  TlsMode tls = TlsMode::None;
  std::string tlsCertificate = {};
};

// Starts vsftpd (as scripts/setup-tests unpacks it) on 127.0.0.1 and waits for its greeting.
// Logs in the system user "qptester" (created when missing: home "/", shell /usr/sbin/nologin,
// a fixed password, PAM service "qp-vsftpd-test" without the shell check); no anonymous
// log-ins. Each server has its own port, root (vsftpd's local_root, so parallel servers do not
// share the user's home) and configuration. Returns nullptr when not root or vsftpd is missing;
// LastStartFailure() says why.
std::unique_ptr<FtpServer> StartVsftpd(const VsftpdOptions& options = {});

struct ProftpdOptions {
  // A PEM file with an EC certificate and its key (as TestCertificate's are): explicit TLS
  // (RFC 4217) at TLS 1.2 or 1.3, required for log-ins and every data connection, with data
  // connections required to reuse the control connection's TLS session (proftpd's default).
  // Empty: no TLS.
  std::string tlsCertificate = {};
  // TLS from the first byte instead of after AUTH TLS (mod_tls's UseImplicitSSL).
  bool implicitTls = false;
};

// Starts proftpd with mod_tls (as scripts/setup-tests unpacks them) on 127.0.0.1 and waits for
// its greeting. Logs in "tester" from a user file of its own; sessions run as the system user
// "qptester" (see StartVsftpd), chrooted into root(). serverOutput() also holds mod_tls's log: a
// line for each handshake ("TLSv1.3 data connection accepted ... (... resumed session)", "client
// did not reuse TLS session, rejecting data connection ..."). Returns nullptr when not root or
// proftpd is missing; LastStartFailure() says why.
std::unique_ptr<FtpServer> StartProftpd(const ProftpdOptions& options = {});

struct PureFtpdOptions {
  // A PEM file with certificate and key: explicit TLS (RFC 4217) required for log-ins and every
  // data connection (pure-ftpd -Y 3). Empty: no TLS.
  std::string tlsCertificate = {};
};

// Starts pure-ftpd (as scripts/setup-tests unpacks it) on 127.0.0.1 and waits for its greeting.
// Logs in "tester" from a user database of its own; sessions run as the system user "qptester"
// (see StartVsftpd), chrooted into root(). Returns nullptr when not root or pure-ftpd is missing;
// LastStartFailure() says why.
std::unique_ptr<FtpServer> StartPureFtpd(const PureFtpdOptions& options = {});

// Starts the scripted misbehaving server, tests/support/scripted/scripted_ftpd.py, playing
// `scenario` (a file of its folder "scenarios", named without ".scenario") on 127.0.0.1. It
// logs in any user and serves an in-memory folder that starts with "hello.txt"
// ("hello\r\nworld\r\n"); every file it stores also lands in root(). commands() holds every line
// received. `moreArguments` go to the script as they are ("--data-cert", PEM: data connections
// show another certificate; "--tls12-ciphers", LIST). Returns nullptr when it does not come
// up; LastStartFailure() says why.
std::unique_ptr<FtpServer> StartScriptedFtpd(const std::string& scenario,
                                             const std::string& tlsCertificate = "",
                                             const std::vector<std::string>& moreArguments = {});

// The path of a certificate file of the TLS tests, made once per test program with openssl
// (make_test_certificates.sh): "ca.crt" (the test CA); "server.pem", "expired.pem",
// "othername.pem", "wildcard.pem" (certificate and key for servers, signed by the CA: valid for
// localhost, 127.0.0.1 and ::1; expired; for other.example only; for f*.example.jp and
// *.example.org), "intermediate.crt" (a CA below the test CA) with "chained.pem" and
// "chainedexpired.pem" (signed by it alone), and "selfsigned.pem"; each certificate alone as
// NAME.crt.
std::string TestCertificate(const std::string& name);

}  // namespace testsupport
