// The proftpd fixture: a standalone server with a configuration of its own on a free loopback
// port, logging in "tester" from its own user file into the instance's folder.
#include <sys/stat.h>

#include <fstream>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/ServerStart.h"

namespace testsupport {
namespace {

#if !defined(QP_TEST_PROFTPD_ROOT) || !defined(QP_TEST_LIBRARY_ARCH)
#error "QP_TEST_PROFTPD_ROOT and QP_TEST_LIBRARY_ARCH must name proftpd's folder and libraries"
#endif
// Unpacked from Debian's packages, not installed: they would enable a system service.
const std::string kRoot = QP_TEST_PROFTPD_ROOT;
const std::string kProftpd = kRoot + "/usr/sbin/proftpd";

class ProftpdServer : public detail::AccountServer {
 public:
  ProftpdServer() : AccountServer("127.0.0.1", detail::kFileUser, detail::kFilePassword) {}

  std::string start(const ProftpdOptions& options);

 private:
  std::string writeUserFiles(uid_t uid, gid_t gid) const;
  std::string writeConfig(const ProftpdOptions& options) const;
};

// proftpd refuses user files that others may read.
std::string ProftpdServer::writeUserFiles(uid_t uid, gid_t gid) const {
  const std::string passwd = m_work.file("passwd");
  const std::string group = m_work.file("group");
  std::ofstream(passwd) << m_user << ":" << detail::kFilePasswordHash << ":" << uid << ":" << gid
                        << "::" << root() << ":/bin/sh\n";
  std::ofstream(group) << m_user << ":x:" << gid << ":\n";
  if (chmod(passwd.c_str(), 0600) != 0 || chmod(group.c_str(), 0600) != 0) {
    return "cannot write proftpd's user files";
  }
  return "";
}

std::string ProftpdServer::writeConfig(const ProftpdOptions& options) const {
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
  if (!options.tlsCertificate.empty()) {
    // Data connections must reuse the control connection's TLS session: proftpd's default.
    conf << "ModulePath " << kRoot << "/usr/lib/proftpd\nLoadModule mod_tls.c\n"
         << "TLSEngine on\nTLSRequired on\nTLSProtocol TLSv1.2 TLSv1.3\n"
         << "TLSECCertificateFile " << options.tlsCertificate << "\n"
         << "TLSECCertificateKeyFile " << options.tlsCertificate << "\n"
         << "TLSLog " << m_work.file("server.out") << "\n";
  }
  return conf ? path : "";
}

std::string ProftpdServer::start(const ProftpdOptions& options) {
  uid_t uid;
  gid_t gid;
  std::string failure = prepareRoot(&uid, &gid);
  if (failure.empty()) failure = writeUserFiles(uid, gid);
  if (!failure.empty()) return failure;
  ProcessOptions environment;
  // The libraries proftpd links that came unpacked with it.
  environment.setEnv = {{"LD_LIBRARY_PATH", kRoot + "/usr/lib/" + QP_TEST_LIBRARY_ARCH}};
  return launch(
      "proftpd",
      [&] {
        const std::string config = writeConfig(options);
        return config.empty() ? std::vector<std::string>{}
                              : std::vector<std::string>{kProftpd, "-n", "-c", config};
      },
      environment, "Address already in use");
}

}  // namespace

std::unique_ptr<FtpServer> StartProftpd(const ProftpdOptions& options) {
  return detail::StartAccountServer<ProftpdServer>("proftpd", kProftpd, options);
}

}  // namespace testsupport
