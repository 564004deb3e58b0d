// The servers that run their sessions as a system user: vsftpd, proftpd and pure-ftpd, as
// scripts/setup-tests unpacks them (Debian's packages would install and enable a service). Each
// is started as root on a free loopback port with a configuration of its own and serves root()
// to the system user "qptester".
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/Process.h"
#include "tests/support/common/SshServers.h"

#if !defined(QP_TEST_VSFTPD) || !defined(QP_TEST_PROFTPD_ROOT) || \
    !defined(QP_TEST_PUREFTPD_ROOT) || !defined(QP_TEST_LIBRARY_ARCH) || !defined(QP_TEST_SSHD)
#error "the folders scripts/setup-tests unpacks the servers into must be defined"
#endif

namespace fs = std::filesystem;

namespace testsupport {
namespace {

const std::string kVsftpd = QP_TEST_VSFTPD;
const std::string kProftpdRoot = QP_TEST_PROFTPD_ROOT;
const std::string kPureFtpdRoot = QP_TEST_PUREFTPD_ROOT;
const std::string kSshd = QP_TEST_SSHD;
// sshd's privilege separation: its user and the empty folder it chroots its unprivileged
// children into, as Debian's package would make them.
constexpr const char* kSshdUser = "sshd";
constexpr const char* kSshdPrivsepDir = "/run/sshd";

// The system user the sessions run as: home "/" (vsftpd enters it before its own root), no
// login shell. vsftpd logs it in through PAM with kVsftpdPassword.
constexpr const char* kSessionUser = "qptester";
constexpr const char* kVsftpdPassword = "qp-Test-5ecret";
// SHA-512 crypts (openssl passwd -6 -salt qpfixture): of kVsftpdPassword, set with usermod so
// that setting it needs no standard input; of kFilePassword, for the user files of proftpd and
// pure-ftpd, where a slower hash would cost a noticeable time at every log-in.
constexpr const char* kVsftpdPasswordHash =
    "$6$qpfixture$DA88Wyx3hLJZULntjplgMaXlIhMQrfmywRcibGxRcFn/UoUPmqrad1NFo75v3uXoWfPJd/"
    "b1O.rZk0sfkqP/5.";
constexpr const char* kFileUser = "tester";
constexpr const char* kFilePassword = "t3st-Pass";
constexpr const char* kFilePasswordHash =
    "$6$qpfixture$pHNfXVwUA06OhKDMiUw5HW5VdKmrAgvnNT3nooo6Phnk6bpFV4K8BIOLxpi1zWLsUQOXp/"
    "r1sdr5cDIxzruMD1";
// The user has no login shell, so the service leaves out the pam_shells check of Debian's own
// "vsftpd" service; it checks the password and the account with pam_unix alone, without
// pam_unix's two-second delay after a wrong password.
constexpr const char* kPamService = "qp-vsftpd-test";
constexpr const char* kPamConfig =
    "# PAM service of the test suite's vsftpd fixture (its user has no login shell).\n"
    "auth required pam_unix.so nodelay\n"
    "account required pam_unix.so\n";
// Serialises changes to system users and files between test programs that start servers at
// the same time.
constexpr const char* kSetupLock = "/tmp/qp-vsftpd-fixture.lock";

// The size of a test key of `type`: RSA at 2048 bits, since the default 3072 can take longer
// than a setup command may on a loaded machine; ECDSA at 256 (Ed25519 has one size).
std::string keyBits(const std::string& type) { return type == "rsa" ? "2048" : "256"; }

// Runs a setup command; returns "" or why it failed.
std::string runSetup(const std::vector<std::string>& argv) {
  const ProcessResult r = RunProcess(argv);
  if (r.exitCode == 0) return "";
  return argv[0] + " failed (" + std::to_string(r.exitCode) + "): " + r.err;
}

// Makes the session user when missing and, for vsftpd and sshd, gives it its home, password and
// PAM service; for sshd also its privilege separation user and folder. Returns "" or why it
// failed.
std::string setUpAccounts(bool vsftpd, bool sshd = false) {
  std::string failure;
  if (getpwnam(kSessionUser) == nullptr) {
    failure = runSetup({"useradd", "--system", "--no-create-home", "--home-dir", "/", "--shell",
                        "/usr/sbin/nologin", kSessionUser});
  }
  if (sshd && failure.empty() && getpwnam(kSshdUser) == nullptr) {
    failure = runSetup({"useradd", "--system", "--no-create-home", "--home-dir", kSshdPrivsepDir,
                        "--shell", "/usr/sbin/nologin", kSshdUser});
  }
  if (sshd && failure.empty()) {
    std::error_code ec;
    fs::create_directories(kSshdPrivsepDir, ec);
    if (ec || chmod(kSshdPrivsepDir, 0755) != 0)
      return std::string("cannot make ") + kSshdPrivsepDir;
  }
  if (!vsftpd || !failure.empty()) return failure;
  const std::string pamPath = std::string("/etc/pam.d/") + kPamService;
  if (!(std::ofstream(pamPath, std::ios::trunc) << kPamConfig)) return "cannot write " + pamPath;
  return runSetup({"usermod", "--home", "/", "--password", kVsftpdPasswordHash, kSessionUser});
}

sockaddr_in loopback(uint16_t port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return addr;
}

// A port on 127.0.0.1 that was free a moment ago (bound to port 0 and released), or 0.
uint16_t pickFreePort() {
  sockaddr_in addr = loopback(0);
  socklen_t len = sizeof addr;
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const bool bound = bind(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
                     getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0;
  close(fd);
  return bound ? ntohs(addr.sin_port) : 0;
}

// True when something accepts connections on 127.0.0.1:port. The probe sends nothing, so that
// it leaves nothing in the server's logs (and speaks no TLS to a server in TLS from the start).
bool accepting(uint16_t port) {
  const sockaddr_in addr = loopback(port);
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
  close(fd);
  return connected;
}

class AccountServer : public FtpServer {
 public:
  AccountServer(std::string user, std::string password)
      : FtpServer("127.0.0.1", std::move(user), std::move(password)) {}

  void handRootToServer() const override {
    const passwd* pw = getpwnam(kSessionUser);
    if (pw == nullptr) return;
    (void)!lchown(root().c_str(), pw->pw_uid, pw->pw_gid);
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root(), ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      (void)!lchown(it->path().c_str(), pw->pw_uid, pw->pw_gid);
    }
  }

 protected:
  // Sets up the accounts (see setUpAccounts) under the setup lock and gives root() to the
  // session user, whose uid and gid go to `uid` and `gid`. Returns "" or why it failed.
  std::string prepareRoot(bool vsftpd, uid_t* uid, gid_t* gid, bool sshd = false) {
    const int lock = open(kSetupLock, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0 || flock(lock, LOCK_EX) != 0) {
      if (lock >= 0) close(lock);
      return "cannot take the setup lock";
    }
    const std::string failure = setUpAccounts(vsftpd || sshd, sshd);
    close(lock);
    const passwd* pw = getpwnam(kSessionUser);
    if (!failure.empty()) return failure;
    if (pw == nullptr) return std::string("no user ") + kSessionUser;
    *uid = pw->pw_uid;
    *gid = pw->pw_gid;
    chmod(root().c_str(), 0755);
    handRootToServer();
    return "";
  }

  // Tries up to 5 free ports: for each, set in m_port, `commandLine()` writes the configuration
  // and returns the command line, which runs with `environment` and its output in server.out,
  // until the server accepts connections. Output holding `busyText` means the port was taken
  // meanwhile: the next one is tried. Returns "" or why it failed.
  std::string launch(const std::string& name,
                     const std::function<std::vector<std::string>()>& commandLine,
                     const ProcessOptions& environment, const std::string& busyText) {
    for (int attempt = 0; attempt < 5; ++attempt) {
      m_port = pickFreePort();
      if (m_port == 0) return "no free port for " + name;
      const int outFd = open(m_work.file("server.out").c_str(),
                             O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
      std::string error;
      m_pid = SpawnProcess(commandLine(), environment, outFd, outFd, error);
      if (outFd >= 0) close(outFd);
      if (m_pid <= 0) return "cannot start " + name + ": " + error;
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      while (std::chrono::steady_clock::now() < deadline && !ProcessEnded(m_pid)) {
        if (accepting(m_port)) return "";
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      StopProcess(m_pid);
      m_pid = -1;
      if (serverOutput().find(busyText) == std::string::npos) {
        return name + " did not come up on port " + std::to_string(m_port) + ": " + serverOutput();
      }
    }
    return "no free port for " + name + " after 5 attempts";
  }
};

class VsftpdServer : public AccountServer {
 public:
  VsftpdServer() : AccountServer(kSessionUser, kVsftpdPassword) {}

  std::string start(const VsftpdOptions& options) {
    uid_t uid;
    gid_t gid;
    if (std::string failure = prepareRoot(true, &uid, &gid); !failure.empty()) return failure;
    // The session processes reach secure_chroot_dir in the work folder.
    std::error_code ec;
    fs::create_directory(m_work.file("empty"), ec);
    chmod(m_work.path().c_str(), 0755);
    return launch(
        "vsftpd",
        [&] {
          return std::vector<std::string>{kVsftpd, writeConfig(options)};
        },
        {}, "could not bind");
  }

 private:
  std::string writeConfig(const VsftpdOptions& options) const {
    const std::string path = m_work.file("vsftpd.conf");
    std::ofstream conf(path, std::ios::trunc);
    conf << "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\n"
         << "listen_port=" << m_port << "\n"
         << "background=NO\nseccomp_sandbox=NO\n"
         // No namespaces for the session processes: they stay in our process group and
         // container runtimes may refuse the clone flags.
         << "isolate=NO\nisolate_network=NO\n"
         << "local_enable=YES\nwrite_enable=YES\nlocal_umask=022\n"
         << "local_root=" << root() << "\n"
         << "chroot_local_user=YES\nallow_writeable_chroot=YES\nanonymous_enable=NO\n"
         // Failed log-ins are answered at once (the default waits a second).
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
    return path;
  }
};

class ProftpdServer : public AccountServer {
 public:
  ProftpdServer() : AccountServer(kFileUser, kFilePassword) {}

  // SFTP (mod_sftp) instead of FTP: host keys of its own, `authorizedKeys` (OpenSSH one-line
  // form) accepted besides the password.
  std::string startSftp(const std::string& authorizedKeys) {
    m_sftp = true;
    for (const char* type : {"ecdsa", "rsa"}) {
      const std::string key = m_work.file(std::string("host_") + type);
      // mod_sftp reads host keys in PEM form.
      if (std::string failure = runSetup({"ssh-keygen", "-q", "-t", type, "-b", keyBits(type), "-m",
                                          "PEM", "-N", "", "-C", "", "-f", key});
          !failure.empty()) {
        return failure;
      }
    }
    // mod_sftp reads user keys in the RFC 4716 form that ssh-keygen -e writes.
    std::string converted;
    size_t from = 0;
    for (size_t end; (end = authorizedKeys.find('\n', from)) != std::string::npos ||
                     from < authorizedKeys.size();
         from = end + 1) {
      if (end == std::string::npos) end = authorizedKeys.size();
      const std::string pub = m_work.file("user.pub");
      WriteFile(pub, authorizedKeys.substr(from, end - from) + "\n");
      const ProcessResult r = RunProcess({"ssh-keygen", "-e", "-f", pub});
      if (r.exitCode != 0) return "ssh-keygen -e failed: " + r.err;
      converted += r.out;
    }
    WriteFile(m_work.file("authorized_keys"), converted);
    std::string failure = start(ProftpdOptions{});
    if (failure.empty()) {
      for (const char* type : {"ecdsa", "rsa"}) {
        m_hostKeys += "[127.0.0.1]:" + std::to_string(m_port) + " " +
                      ReadFile(m_work.file(std::string("host_") + type + ".pub"));
      }
    }
    return failure;
  }

  std::string start(const ProftpdOptions& options) {
    uid_t uid;
    gid_t gid;
    if (std::string failure = prepareRoot(false, &uid, &gid); !failure.empty()) return failure;
    // proftpd refuses user files that others may read.
    const std::string passwd = m_work.file("passwd"), group = m_work.file("group");
    std::ofstream(passwd) << m_user << ":" << kFilePasswordHash << ":" << uid << ":" << gid
                          << "::" << root() << ":/bin/sh\n";
    std::ofstream(group) << m_user << ":x:" << gid << ":\n";
    if (chmod(passwd.c_str(), 0600) != 0 || chmod(group.c_str(), 0600) != 0) {
      return "cannot write proftpd's user files";
    }
    ProcessOptions environment;
    // The libraries proftpd links that came unpacked with it.
    environment.setEnv = {{"LD_LIBRARY_PATH", kProftpdRoot + "/usr/lib/" + QP_TEST_LIBRARY_ARCH}};
    return launch(
        "proftpd",
        [&] {
          return std::vector<std::string>{kProftpdRoot + "/usr/sbin/proftpd", "-n", "-c",
                                          writeConfig(options)};
        },
        environment, "Address already in use");
  }

 private:
  std::string writeConfig(const ProftpdOptions& options) const {
    const std::string path = m_work.file("proftpd.conf");
    std::ofstream conf(path, std::ios::trunc);
    // Nothing outside the work folder: no delay table, wtmp or control socket in /run.
    conf << "ServerType standalone\nDefaultAddress 127.0.0.1\nPort " << m_port << "\n"
         << "UseIPv6 off\nUseReverseDNS off\nUser root\nGroup root\nUmask 022\n"
         << "ScoreboardFile " << m_work.file("scoreboard") << "\n"
         << "PidFile " << m_work.file("proftpd.pid") << "\n"
         << "DelayTable none\nWtmpLog off\nControlsEngine off\n"
         << "AuthOrder mod_auth_file.c\nAuthUserFile " << m_work.file("passwd") << "\n"
         << "AuthGroupFile " << m_work.file("group") << "\n"
         << "RequireValidShell off\nDefaultRoot ~\n"
         << "TransferLog " << m_work.file("transfers.log") << "\n"
         << "<Directory />\n  AllowOverwrite on\n</Directory>\n";
    if (m_sftp) {
      conf << "ModulePath " << kProftpdRoot << "/usr/lib/proftpd\nLoadModule mod_sftp.c\n"
           << "SFTPEngine on\nSFTPLog " << m_work.file("server.out") << "\n"
           << "SFTPHostKey " << m_work.file("host_ecdsa") << "\n"
           << "SFTPHostKey " << m_work.file("host_rsa") << "\n"
           << "SFTPAuthMethods publickey password\n"
           << "SFTPAuthorizedUserKeys file:" << m_work.file("authorized_keys") << "\n";
    }
    if (!options.tlsCertificate.empty()) {
      // Data connections must reuse the control connection's TLS session: proftpd's default.
      conf << "ModulePath " << kProftpdRoot << "/usr/lib/proftpd\nLoadModule mod_tls.c\n"
           << "TLSEngine on\nTLSRequired on\nTLSProtocol TLSv1.2 TLSv1.3\n"
           << "TLSECCertificateFile " << options.tlsCertificate << "\n"
           << "TLSECCertificateKeyFile " << options.tlsCertificate << "\n"
           << "TLSLog " << m_work.file("server.out") << "\n";
      if (options.implicitTls) conf << "TLSOptions UseImplicitSSL\n";
    }
    return path;
  }

  bool m_sftp = false;
};

class PureFtpdServer : public AccountServer {
 public:
  PureFtpdServer() : AccountServer(kFileUser, kFilePassword) {}
  // The server removes a session's entry in its scoreboard, /run/pure-ftpd, when it reaps the
  // session: the sessions end first.
  ~PureFtpdServer() override {
    StopSessionsThenProcess(m_pid);
    m_pid = -1;
  }

  std::string start(const PureFtpdOptions& options) {
    uid_t uid;
    gid_t gid;
    if (std::string failure = prepareRoot(false, &uid, &gid); !failure.empty()) return failure;
    // The user database ("puredb") from a line in pure-pw's text format; "/./" ends the folder
    // the session is chrooted into.
    std::ofstream(m_work.file("users.txt")) << m_user << ":" << kFilePasswordHash << ":" << uid
                                            << ":" << gid << "::" << root() << "/./::::::::::::\n";
    if (std::string failure = runSetup({kPureFtpdRoot + "/usr/bin/pure-pw", "mkdb",
                                        m_work.file("users.pdb"), "-f", m_work.file("users.txt")});
        !failure.empty()) {
      return failure;
    }
    return launch(
        "pure-ftpd",
        [&] {
          // -E: no anonymous log-ins; -H: no name lookups of clients; -Y 3: TLS required for
          // log-ins and every data connection.
          std::vector<std::string> command = {kPureFtpdRoot + "/usr/sbin/pure-ftpd",
                                              "-l",
                                              "puredb:" + m_work.file("users.pdb"),
                                              "-S",
                                              "127.0.0.1," + std::to_string(m_port),
                                              "-g",
                                              m_work.file("pure-ftpd.pid"),
                                              "-E",
                                              "-H"};
          if (!options.tlsCertificate.empty()) {
            command.insert(command.end(), {"-Y", "3", "-2", options.tlsCertificate});
          }
          return command;
        },
        {}, "Address already in use");
  }
};

class SshdServer : public AccountServer {
 public:
  SshdServer() : AccountServer(kSessionUser, kVsftpdPassword) {}
  // sshd's sessions run in sessions of their own (setsid), out of reach of the process group:
  // they end first.
  ~SshdServer() override {
    StopSessionsThenProcess(m_pid);
    m_pid = -1;
  }

  std::string start(const SshdOptions& options) {
    uid_t uid;
    gid_t gid;
    if (std::string failure = prepareRoot(false, &uid, &gid, true); !failure.empty()) {
      return failure;
    }
    for (const char* type : {"ed25519", "ecdsa", "rsa"}) {
      if (std::string failure = runSetup({"ssh-keygen", "-q", "-t", type, "-b", keyBits(type), "-N",
                                          "", "-C", "", "-f", hostKey(type)});
          !failure.empty()) {
        return failure;
      }
    }
    // sshd reads the keys as the user: the work folder must let it through.
    WriteFile(m_work.file("authorized_keys"), options.authorizedKeys);
    chmod(m_work.path().c_str(), 0755);
    chmod(m_work.file("authorized_keys").c_str(), 0644);
    std::string failure = launch(
        "sshd",
        [&] {
          return std::vector<std::string>{kSshd, "-D", "-e", "-f", writeConfig(options)};
        },
        {}, "Address already in use");
    if (!failure.empty()) return failure;
    for (const char* type : {"ed25519", "ecdsa", "rsa"}) {
      m_hostKeys +=
          "[127.0.0.1]:" + std::to_string(m_port) + " " + ReadFile(hostKey(type) + ".pub");
    }
    return "";
  }

 private:
  std::string hostKey(const std::string& type) const { return m_work.file("host_" + type); }

  std::string writeConfig(const SshdOptions& options) const {
    const std::string path = m_work.file("sshd_config");
    std::ofstream conf(path, std::ios::trunc);
    // Options given first win in sshd_config: the test's own lines come first.
    conf << options.moreConfig << "\n"
         << "ListenAddress 127.0.0.1\nPort " << m_port << "\n"
         << "HostKey " << hostKey("ed25519") << "\nHostKey " << hostKey("ecdsa") << "\n"
         << "HostKey " << hostKey("rsa") << "\n"
         << "PidFile " << m_work.file("sshd.pid") << "\n"
         << "UsePAM no\nPasswordAuthentication yes\nKbdInteractiveAuthentication no\n"
         << "PubkeyAuthentication yes\nAuthorizedKeysFile " << m_work.file("authorized_keys")
         << "\nStrictModes no\nPermitRootLogin no\nAllowUsers " << kSessionUser << "\n"
         << "MaxAuthTries 6\nLogLevel VERBOSE\n"
         << "Subsystem sftp internal-sftp -d " << root() << "\n"
         << "ForceCommand internal-sftp -d " << root() << "\n";
    return path;
  }
};

// Makes a `Server` and starts it with `start`, when root may and `binary` is there. Returns it,
// or nullptr with the reason recorded for LastStartFailure().
template <class Server, class Start>
std::unique_ptr<FtpServer> startWith(const std::string& name, const std::string& binary,
                                     Start&& start) {
  auto server = std::make_unique<Server>();
  std::string failure;
  if (geteuid() != 0) {
    failure = name + " needs root (it serves as a system user)";
  } else if (access(binary.c_str(), X_OK) != 0) {
    failure = binary + " is missing (run scripts/setup-tests)";
  } else {
    failure = start(*server);
  }
  return detail::Started(std::move(server), failure);
}

template <class Server, class Options>
std::unique_ptr<FtpServer> startAccountServer(const std::string& name, const std::string& binary,
                                              const Options& options) {
  return startWith<Server>(name, binary, [&](Server& server) { return server.start(options); });
}

}  // namespace

std::unique_ptr<FtpServer> StartSshd(const SshdOptions& options) {
  return startAccountServer<SshdServer>("sshd", kSshd, options);
}

std::unique_ptr<FtpServer> StartProftpdSftp(const std::string& authorizedKeys) {
  return startWith<ProftpdServer>("proftpd", kProftpdRoot + "/usr/sbin/proftpd",
                                  [&](ProftpdServer& s) { return s.startSftp(authorizedKeys); });
}

std::unique_ptr<FtpServer> StartVsftpd(const VsftpdOptions& options) {
  return startAccountServer<VsftpdServer>("vsftpd", kVsftpd, options);
}

std::unique_ptr<FtpServer> StartProftpd(const ProftpdOptions& options) {
  return startAccountServer<ProftpdServer>("proftpd", kProftpdRoot + "/usr/sbin/proftpd", options);
}

std::unique_ptr<FtpServer> StartPureFtpd(const PureFtpdOptions& options) {
  return startAccountServer<PureFtpdServer>("pure-ftpd", kPureFtpdRoot + "/usr/sbin/pure-ftpd",
                                            options);
}

}  // namespace testsupport
