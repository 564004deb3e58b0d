// What the fixtures of vsftpd, proftpd and pure-ftpd share: the system user their sessions run
// as, the served folder given to it, and starting the binary on a free port.
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "tests/support/common/ServerStart.h"

namespace fs = std::filesystem;

namespace testsupport::detail {
namespace {

// Named when only vsftpd's fixture took it; kept so that test programs built before share it.
constexpr const char* kSetupLock = "/tmp/qp-vsftpd-fixture.lock";
constexpr int kPortAttempts = 5;

}  // namespace

SetupLock::SetupLock() : m_fd(open(kSetupLock, O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
  if (m_fd >= 0 && flock(m_fd, LOCK_EX) != 0) {
    close(m_fd);
    m_fd = -1;
  }
}

SetupLock::~SetupLock() {
  if (m_fd >= 0) close(m_fd);
}

std::string runSetup(const std::vector<std::string>& argv) {
  ProcessResult r = RunProcess(argv);
  if (r.exitCode == 0) return "";
  return argv[0] + " failed (" + std::to_string(r.exitCode) + "): " + r.err;
}

std::string ensureSessionUser() {
  if (getpwnam(kSessionUser) != nullptr) return "";
  // vsftpd enters the home folder before its own root, so it must exist: "/".
  return runSetup({"useradd", "--system", "--no-create-home", "--home-dir", "/", "--shell",
                   "/usr/sbin/nologin", kSessionUser});
}

std::string cannotStart(const std::string& name, const std::string& binary) {
  if (geteuid() != 0) return name + " needs root (it serves as a system user)";
  if (access(binary.c_str(), X_OK) != 0) return binary + " is missing (run scripts/setup-tests)";
  return "";
}

void AccountServer::handRootToServer() const {
  const passwd* pw = getpwnam(kSessionUser);
  if (pw == nullptr) return;
  (void)!lchown(root().c_str(), pw->pw_uid, pw->pw_gid);
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root(), ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    (void)!lchown(it->path().c_str(), pw->pw_uid, pw->pw_gid);
  }
}

std::string AccountServer::prepareRoot(uid_t* uid, gid_t* gid) {
  {
    SetupLock lock;
    if (!lock.ok()) return "cannot take the setup lock";
    if (std::string failure = ensureSessionUser(); !failure.empty()) return failure;
  }
  const passwd* pw = getpwnam(kSessionUser);
  if (pw == nullptr) return std::string("no user ") + kSessionUser;
  *uid = pw->pw_uid;
  *gid = pw->pw_gid;
  chmod(root().c_str(), 0755);
  handRootToServer();
  return "";
}

std::string AccountServer::launch(const std::string& name,
                                  const std::function<std::vector<std::string>()>& commandLine,
                                  const ProcessOptions& environment, const std::string& busyText,
                                  bool tlsFirst) {
  for (int attempt = 0; attempt < kPortAttempts; ++attempt) {
    m_port = pickFreePort(m_host);
    const std::vector<std::string> command =
        m_port == 0 ? std::vector<std::string>{} : commandLine();
    if (command.empty()) return "cannot choose a port or write the configuration of " + name;
    std::string failure = launchOnce(name, command, environment, busyText, tlsFirst);
    if (failure != "busy") return failure;
  }
  return "no free port for " + name + " after " + std::to_string(kPortAttempts) + " attempts";
}

std::string AccountServer::launchOnce(const std::string& name,
                                      const std::vector<std::string>& command,
                                      const ProcessOptions& environment,
                                      const std::string& busyText, bool tlsFirst) {
  int outFd = open(m_work.file("server.out").c_str(),
                   O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
  std::string error;
  m_pid = SpawnProcess(command, environment, outFd, outFd, error);
  if (outFd >= 0) close(outFd);
  if (m_pid <= 0) return "cannot start " + name + ": " + error;
  auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
  std::string detail;
  while (std::chrono::steady_clock::now() < deadline && !ProcessEnded(m_pid)) {
    switch (readGreeting(m_host, m_port, detail, tlsFirst)) {
      case GreetingResult::Ok:
        return "";
      case GreetingResult::Other:
        return name + " greeted with: " + detail;
      case GreetingResult::Refused:
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  StopProcess(m_pid);
  m_pid = -1;
  std::string output = serverOutput();
  if (output.find(busyText) != std::string::npos) return "busy";
  return name + " did not come up on port " + std::to_string(m_port) + ": " + output;
}

}  // namespace testsupport::detail
