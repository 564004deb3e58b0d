// The pure-ftpd fixture: a server on a free loopback port, configured on its command line,
// logging in "tester" from its own user database into the instance's folder.
#include <fstream>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/ServerStart.h"

namespace testsupport {
namespace {

#ifndef QP_TEST_PUREFTPD_ROOT
#error "QP_TEST_PUREFTPD_ROOT must name the folder scripts/setup-tests unpacks pure-ftpd into"
#endif
// Unpacked from Debian's packages, not installed: they would enable a system service.
const std::string kRoot = QP_TEST_PUREFTPD_ROOT;
const std::string kPureFtpd = kRoot + "/usr/sbin/pure-ftpd";

class PureFtpdServer : public detail::AccountServer {
 public:
  PureFtpdServer() : AccountServer("127.0.0.1", detail::kFileUser, detail::kFilePassword) {}
  // The server removes a session's entry in its scoreboard, /run/pure-ftpd, when it reaps the
  // session: the sessions end first.
  ~PureFtpdServer() override {
    StopSessionsThenProcess(m_pid);
    m_pid = -1;
  }

  std::string start(const PureFtpdOptions& options);

 private:
  std::string writeUserDatabase(uid_t uid, gid_t gid) const;
  std::vector<std::string> commandLine(const PureFtpdOptions& options) const;
};

// The user database pure-ftpd reads ("puredb"), made from a line in pure-pw's text format;
// "/./" ends the folder the session is chrooted into.
std::string PureFtpdServer::writeUserDatabase(uid_t uid, gid_t gid) const {
  std::ofstream(m_work.file("users.txt"))
      << m_user << ":" << detail::kFilePasswordHash << ":" << uid << ":" << gid << "::" << root()
      << "/./::::::::::::\n";
  return detail::runSetup({kRoot + "/usr/bin/pure-pw", "mkdb", m_work.file("users.pdb"), "-f",
                           m_work.file("users.txt")});
}

std::vector<std::string> PureFtpdServer::commandLine(const PureFtpdOptions& options) const {
  // -E: no anonymous log-ins; -H: no name lookups of clients.
  std::vector<std::string> command = {kPureFtpd,
                                      "-l",
                                      "puredb:" + m_work.file("users.pdb"),
                                      "-S",
                                      m_host + "," + std::to_string(m_port),
                                      "-g",
                                      m_work.file("pure-ftpd.pid"),
                                      "-E",
                                      "-H"};
  if (!options.tlsCertificate.empty()) {
    // -Y 3: TLS required for log-ins and every data connection.
    command.insert(command.end(), {"-Y", "3", "-2", options.tlsCertificate});
  }
  return command;
}

std::string PureFtpdServer::start(const PureFtpdOptions& options) {
  uid_t uid;
  gid_t gid;
  std::string failure = prepareRoot(&uid, &gid);
  if (failure.empty()) failure = writeUserDatabase(uid, gid);
  if (!failure.empty()) return failure;
  return launch(
      "pure-ftpd", [&] { return commandLine(options); }, {}, "Address already in use");
}

}  // namespace

std::unique_ptr<FtpServer> StartPureFtpd(const PureFtpdOptions& options) {
  return detail::StartAccountServer<PureFtpdServer>("pure-ftpd", kPureFtpd, options);
}

}  // namespace testsupport
