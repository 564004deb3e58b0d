// The vsftpd fixture: a per-instance configuration on a free loopback port, logging in the
// system user "qptester" into the instance's own folder.
#include <pwd.h>
#include <shadow.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/ServerStart.h"

namespace fs = std::filesystem;

namespace testsupport {
namespace {

#ifndef QP_TEST_VSFTPD
#error "QP_TEST_VSFTPD must name the vsftpd binary that scripts/setup-tests unpacks"
#endif
// Unpacked from Debian's package, not installed: the package would enable a system service.
constexpr const char* kVsftpd = QP_TEST_VSFTPD;
constexpr const char* kUser = detail::kSessionUser;
constexpr const char* kPassword = "qp-Test-5ecret";
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

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Makes sure the session user has vsftpd's home "/" and kPassword and that the PAM service is
// there. Returns "" or why it failed.
std::string ensureVsftpdAccounts() {
  detail::SetupLock lock;
  if (!lock.ok()) return "cannot take the setup lock";
  std::string failure = detail::ensureSessionUser();
  if (const passwd* pw = getpwnam(kUser); failure.empty() && pw && std::string(pw->pw_dir) != "/") {
    failure = detail::runSetup({"usermod", "--home", "/", kUser});
  }
  if (const spwd* sp = getspnam(kUser);
      failure.empty() && (sp == nullptr || kPasswordHash != std::string(sp->sp_pwdp))) {
    failure = detail::runSetup({"usermod", "--password", kPasswordHash, kUser});
  }
  std::string pamPath = std::string("/etc/pam.d/") + kPamService;
  if (failure.empty() && fileText(pamPath) != kPamConfig) {
    std::ofstream(pamPath, std::ios::binary | std::ios::trunc) << kPamConfig;
    if (fileText(pamPath) != kPamConfig) failure = "cannot write " + pamPath;
  }
  return failure;
}

class VsftpdServer : public detail::AccountServer {
 public:
  VsftpdServer() : AccountServer("127.0.0.1", kUser, kPassword) {}

  std::string start(const VsftpdOptions& options);

 private:
  std::string writeConfig(const VsftpdOptions& options) const;
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
       << "anonymous_enable=NO\n"
       // Failed log-ins are answered at once (the default waits a second) to keep tests fast.
       << "delay_failed_login=0\ndelay_successful_login=0\n"
       << "pasv_enable=YES\nport_enable=YES\n"
       << "pam_service_name=" << kPamService << "\n"
       << "secure_chroot_dir=" << m_work.file("empty") << "\n"
       << "xferlog_enable=NO\nsyslog_enable=NO\nutf8_filesystem=YES\n";
  if (options.tls != TlsMode::None) {
    conf << "ssl_enable=YES\nforce_local_logins_ssl=YES\nforce_local_data_ssl=YES\n"
         << "require_ssl_reuse=YES\nssl_ciphers=HIGH\n"
         << "rsa_cert_file=" << options.tlsCertificate << "\n"
         << "implicit_ssl=" << (options.tls == TlsMode::Implicit ? "YES" : "NO") << "\n";
  }
  return conf ? path : "";
}

std::string VsftpdServer::start(const VsftpdOptions& options) {
  if (std::string failure = ensureVsftpdAccounts(); !failure.empty()) return failure;
  uid_t uid;
  gid_t gid;
  if (std::string failure = prepareRoot(&uid, &gid); !failure.empty()) return failure;
  // The session processes reach secure_chroot_dir in the work folder.
  std::error_code ec;
  fs::create_directory(m_work.file("empty"), ec);
  chmod(m_work.path().c_str(), 0755);
  return launch(
      "vsftpd",
      [&] {
        const std::string config = writeConfig(options);
        return config.empty() ? std::vector<std::string>{}
                              : std::vector<std::string>{kVsftpd, config};
      },
      {}, "could not bind", options.tls == TlsMode::Implicit);
}

}  // namespace

std::unique_ptr<FtpServer> StartVsftpd(const VsftpdOptions& options) {
  return detail::StartAccountServer<VsftpdServer>("vsftpd", kVsftpd, options);
}

}  // namespace testsupport
