// The vsftpd fixture: a per-instance configuration on a free loopback port, logging in the
// system user "qptester" into the instance's own folder.
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <shadow.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/Process.h"
#include "tests/support/common/ServerStart.h"

namespace fs = std::filesystem;

namespace testsupport {
namespace {

#ifndef QP_TEST_VSFTPD
#error "QP_TEST_VSFTPD must name the vsftpd binary that scripts/setup-tests unpacks"
#endif
// Unpacked from Debian's package, not installed: the package would enable a system service.
constexpr const char* kVsftpd = QP_TEST_VSFTPD;
constexpr const char* kUser = "qptester";
constexpr const char* kPassword = "qp-Test-5ecret";
constexpr const char* kAnonymousUser = "qpanonymous";
// SHA-512 crypt of kPassword (openssl passwd -6 -salt qpfixture), so that setting it needs
// no standard input.
constexpr const char* kPasswordHash =
    "$6$qpfixture$DA88Wyx3hLJZULntjplgMaXlIhMQrfmywRcibGxRcFn/UoUPmqrad1NFo75v3uXoWfPJd/"
    "b1O.rZk0sfkqP/5.";
constexpr const char* kPamService = "qp-vsftpd-test";
// The user has no login shell, so the service leaves out the pam_shells check of Debian's
// own "vsftpd" service; it checks the password and the account with pam_unix alone, without
// pam_unix's two-second delay after a wrong password.
constexpr const char* kPamConfig =
    "# PAM service of the test suite's vsftpd fixture (its user has no login shell).\n"
    "auth required pam_unix.so nodelay\n"
    "account required pam_unix.so\n";
constexpr const char* kSetupLock = "/tmp/qp-vsftpd-fixture.lock";

// Runs a setup command; returns "" or why it failed.
std::string runSetup(const std::vector<std::string>& argv) {
  ProcessResult r = RunProcess(argv);
  if (r.exitCode == 0) return "";
  return argv[0] + " failed (" + std::to_string(r.exitCode) + "): " + r.err;
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Makes sure the system user, its password and the PAM service exist. Serialised with a file
// lock, as parallel test processes may do it at the same time. Returns "" or why it failed.
std::string ensureSystemUser() {
  int lock = open(kSetupLock, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lock < 0 || flock(lock, LOCK_EX) != 0) return std::string("cannot lock ") + kSetupLock;
  std::string failure;
  // vsftpd enters the home folder before local_root, so it must exist: "/" serves every
  // instance, and the session is still chrooted into that instance's local_root.
  if (const passwd* pw = getpwnam(kUser); pw == nullptr) {
    failure = runSetup({"useradd", "--system", "--no-create-home", "--home-dir", "/", "--shell",
                        "/usr/sbin/nologin", "--password", kPasswordHash, kUser});
  } else if (std::string(pw->pw_dir) != "/") {
    failure = runSetup({"usermod", "--home", "/", kUser});
  }
  // Anonymous sessions run as a user of their own, who cannot write the served folder (vsftpd
  // refuses a writable anonymous root); Debian's "ftp" user comes only with the installed
  // package.
  if (failure.empty() && getpwnam(kAnonymousUser) == nullptr) {
    failure = runSetup({"useradd", "--system", "--no-create-home", "--home-dir", "/", "--shell",
                        "/usr/sbin/nologin", kAnonymousUser});
  }
  if (const spwd* sp = getspnam(kUser);
      failure.empty() && (sp == nullptr || kPasswordHash != std::string(sp->sp_pwdp))) {
    failure = runSetup({"usermod", "--password", kPasswordHash, kUser});
  }
  std::string pamPath = std::string("/etc/pam.d/") + kPamService;
  if (failure.empty() && fileText(pamPath) != kPamConfig) {
    std::ofstream(pamPath, std::ios::binary | std::ios::trunc) << kPamConfig;
    if (fileText(pamPath) != kPamConfig) failure = "cannot write " + pamPath;
  }
  close(lock);
  return failure;
}

// "... FTP command: Client "127.0.0.1", "USER qptester"" -> "USER qptester".
bool commandOfLogLine(const std::string& line, std::string& command) {
  static const std::string kMark = "FTP command: Client \"";
  size_t at = line.find(kMark);
  size_t open = at == std::string::npos ? at : line.find("\", \"", at + kMark.size());
  if (open == std::string::npos || line.back() != '"') return false;
  command = line.substr(open + 4, line.size() - open - 5);
  // vsftpd writes "PASS <password>"; keep the masking the same for every server.
  if (command.size() >= 4 && strncasecmp(command.c_str(), "PASS", 4) == 0) {
    command = command.substr(0, 4) + (command.size() > 4 ? " ****" : "");
  }
  return true;
}

class VsftpdServer : public FtpServer {
 public:
  VsftpdServer() : FtpServer("127.0.0.1", kUser, kPassword) {}

  std::vector<std::string> commands() const override {
    std::vector<std::string> out;
    std::ifstream in(logPath());
    std::string command;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (commandOfLogLine(line, command)) out.push_back(command);
    }
    return out;
  }

  void handRootToServer() const override {
    const passwd* pw = getpwnam(kUser);
    if (pw == nullptr) return;
    (void)!lchown(root().c_str(), pw->pw_uid, pw->pw_gid);
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root(), ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      (void)!lchown(it->path().c_str(), pw->pw_uid, pw->pw_gid);
    }
  }

  std::string start(const VsftpdOptions& options);

 private:
  std::string logPath() const { return m_work.file("vsftpd.log"); }
  std::string writeConfig(const VsftpdOptions& options) const;
  // Starts vsftpd on m_port and waits for its greeting. "" on success; "busy" when the port
  // was taken meanwhile; else why it failed.
  std::string launch(const std::string& config, bool tlsFirst);
};

std::string VsftpdServer::writeConfig(const VsftpdOptions& options) const {
  std::string path = m_work.file("vsftpd.conf");
  std::ofstream conf(path, std::ios::trunc);
  conf << "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\n"
       << "listen_port=" << m_port << "\n"
       << "background=NO\nseccomp_sandbox=NO\n"
       // No namespaces for the session processes: they stay in our process group and
       // container runtimes may refuse the clone flags.
       << "isolate=NO\nisolate_network=NO\n"
       << "local_enable=YES\nwrite_enable=YES\nlocal_umask=022\n"
       << "local_root=" << root() << "\n"
       << "chroot_local_user=YES\nallow_writeable_chroot=YES\n"
       << "anonymous_enable=" << (options.anonymous ? "YES" : "NO") << "\n"
       << "ftp_username=" << kAnonymousUser << "\n"
       << "anon_root=" << root()
       << "\nno_anon_password=NO\n"
       // Failed log-ins are answered at once (the default waits a second) to keep tests fast.
       << "delay_failed_login=0\ndelay_successful_login=0\n"
       << "pasv_enable=YES\nport_enable=YES\n"
       << "pam_service_name=" << kPamService << "\n"
       << "secure_chroot_dir=" << m_work.file("empty") << "\n"
       << "xferlog_enable=YES\nxferlog_std_format=NO\nlog_ftp_protocol=YES\n"
       << "vsftpd_log_file=" << logPath() << "\n"
       << "syslog_enable=NO\ndual_log_enable=NO\nutf8_filesystem=YES\n";
  if (options.tls != TlsMode::None) {
    conf << "ssl_enable=YES\nforce_local_logins_ssl=YES\nforce_local_data_ssl=YES\n"
         << "require_ssl_reuse=YES\nssl_ciphers=HIGH\n"
         << "rsa_cert_file=" << options.tlsCertificate << "\n"
         << "implicit_ssl=" << (options.tls == TlsMode::Implicit ? "YES" : "NO") << "\n";
  }
  return conf ? path : "";
}

std::string VsftpdServer::launch(const std::string& config, bool tlsFirst) {
  int outFd =
      open(m_work.file("server.out").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  std::string error;
  m_pid = SpawnProcess({kVsftpd, config}, {}, outFd, outFd, error);
  if (outFd >= 0) close(outFd);
  if (m_pid <= 0) return "cannot start vsftpd: " + error;
  auto deadline = std::chrono::steady_clock::now() + detail::kStartTimeout;
  std::string detail;
  while (std::chrono::steady_clock::now() < deadline) {
    if (ProcessEnded(m_pid)) break;
    switch (detail::readGreeting(m_host, m_port, detail, tlsFirst)) {
      case detail::GreetingResult::Ok:
        return "";
      case detail::GreetingResult::Other:
        return "vsftpd greeted with: " + detail;
      case detail::GreetingResult::Refused:
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  StopProcess(m_pid);
  m_pid = -1;
  std::string output = serverOutput();
  if (output.find("could not bind") != std::string::npos) return "busy";
  return "vsftpd did not come up on port " + std::to_string(m_port) + ": " + output;
}

std::string VsftpdServer::start(const VsftpdOptions& options) {
  if (std::string failure = ensureSystemUser(); !failure.empty()) return failure;
  std::error_code ec;
  fs::create_directory(m_work.file("empty"), ec);
  // The session runs as the user and must reach and own its folder.
  chmod(root().c_str(), 0755);
  chmod(m_work.path().c_str(), 0755);
  handRootToServer();
  for (int attempt = 0; attempt < 5; ++attempt) {
    m_port = detail::pickFreePort(m_host);
    std::string config = writeConfig(options);
    if (m_port == 0 || config.empty()) return "cannot choose a port or write the configuration";
    std::string failure = launch(config, options.tls == TlsMode::Implicit);
    if (failure != "busy") return failure;
  }
  return "no free port for vsftpd after 5 attempts";
}

}  // namespace

std::unique_ptr<FtpServer> StartVsftpd(const VsftpdOptions& options) {
  if (geteuid() != 0) {
    detail::setStartFailure("vsftpd needs root (it logs in a system user)");
    return nullptr;
  }
  if (access(kVsftpd, X_OK) != 0) {
    detail::setStartFailure(std::string(kVsftpd) + " is missing (run scripts/setup-tests)");
    return nullptr;
  }
  auto server = std::make_unique<VsftpdServer>();
  std::string failure = server->start(options);
  detail::setStartFailure(failure);
  if (!failure.empty()) return nullptr;
  return server;
}

}  // namespace testsupport
