// The engine against pyftpdlib on loopback: what the session tests of McWinFTP do not see,
// IPv6 in both modes and the name service.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/inet/FtpEngine.h"
#include "tests/platform/inet/EngineTestSupport.h"
#include "tests/support/common/FtpServers.h"
#include "tests/support/common/TempDir.h"

namespace inet {
namespace {

using testsupport::FtpServer;
using testsupport::TempDir;
using namespace inet::testing;

class RealServer : public ::testing::Test {
 protected:
  // Connects as the server's user; fails the test when that does not work.
  Handle login(const FtpServer& server, uint32_t flags = kFlagPassive) {
    const HandleResult result =
        m_api->InternetConnectA(root(), server.address().c_str(), 21, server.user().c_str(),
                                server.password().c_str(), kServiceFtp, flags, 0);
    EXPECT_NE(result.handle, 0u) << "error " << result.error;
    return result.handle;
  }

  Handle root() {
    if (m_root == 0) m_root = m_api->InternetOpenA(nullptr, 0, nullptr, nullptr, 0).handle;
    return m_root;
  }

  BoolResult put(Handle connection, const std::string& local, const char* remote,
                 uint32_t type = kTransferTypeBinary) {
    return m_api->FtpPutFileA(connection, local.c_str(), remote, type, 0);
  }

  std::unique_ptr<InternetApi> m_api = MakeFtpEngine(ShortTimeouts());
  Handle m_root = 0;
  TempDir m_local;
};

#define START_OR_SKIP(server, start) \
  auto server = start;               \
  if (!server) GTEST_SKIP() << testsupport::LastStartFailure();

TEST_F(RealServer, Ipv6LoopbackWorksInBothModes) {
  testsupport::PyftpdlibOptions options;
  options.ipv6 = true;
  START_OR_SKIP(server, testsupport::StartPyftpdlib(options));
  testsupport::WriteFile(m_local.file("v6"), "six");
  for (const uint32_t flags : {kFlagPassive, 0u}) {
    const Handle connection = login(*server, flags);
    ASSERT_TRUE(put(connection, m_local.file("v6"), "v6.txt").ok);
    uint32_t error = 0;
    EXPECT_EQ(ListAll(*m_api, connection, "*.*", &error).size(), 1u);
  }
  EXPECT_EQ(testsupport::ReadFile(server->root() + "/v6.txt"), "six");
  EXPECT_TRUE(Contains(server->commands(), "EPSV"));
  EXPECT_EQ(CountPrefix(server->commands(), "EPRT |2|::1|"), 2u);
  // A bare IPv6 literal is an address, the port given apart.
  const HandleResult bare =
      m_api->InternetConnectA(root(), "::1", server->port(), server->user().c_str(),
                              server->password().c_str(), kServiceFtp, 0, 0);
  EXPECT_NE(bare.handle, 0u) << "error " << bare.error;
}

enum FallbackOutcome { kConnected = 0, kConnectFailed, kNoArrangement, kMissingNameMisreported };

// In the child: a mount namespace whose /etc/hosts gives "qp-multi" first ::1, where nothing
// listens on the port, then 127.0.0.1, where the server is; the engine must log in there.
// A name the hosts file lacks must fail as not resolved (it is not under ".invalid", which the
// engine refuses without asking); the name service looks at nothing but that file.
int connectThroughTheSecondAddress(const TempDir& dir, uint16_t port, const FtpServer& server) {
  if (::unshare(CLONE_NEWNS) != 0 ||
      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount(dir.file("hosts").c_str(), "/etc/hosts", nullptr, MS_BIND, nullptr) != 0 ||
      ::mount(dir.file("nsswitch.conf").c_str(), "/etc/nsswitch.conf", nullptr, MS_BIND, nullptr) !=
          0) {
    return kNoArrangement;
  }
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo("qp-multi", nullptr, &hints, &found) != 0) return kNoArrangement;
  const bool ipv6First = found->ai_family == AF_INET6 && found->ai_next != nullptr;
  ::freeaddrinfo(found);
  if (!ipv6First) return kNoArrangement;
  const int probe = ::socket(AF_INET6, SOCK_STREAM, 0);
  sockaddr_in6 v6{};
  v6.sin6_family = AF_INET6;
  v6.sin6_port = htons(port);
  v6.sin6_addr = in6addr_loopback;
  const bool v6Answers = ::connect(probe, reinterpret_cast<sockaddr*>(&v6), sizeof v6) == 0;
  ::close(probe);
  if (v6Answers) return kNoArrangement;

  const std::unique_ptr<InternetApi> api = MakeFtpEngine(ShortTimeouts());
  const Handle root = api->InternetOpenA(nullptr, 0, nullptr, nullptr, 0).handle;
  if (api->InternetConnectA(root, "qp-missing", 21, nullptr, nullptr, kServiceFtp, 0, 0).error !=
      kErrorInternetNameNotResolved) {
    return kMissingNameMisreported;
  }
  const std::string name = "qp-multi:" + std::to_string(port);
  return api->InternetConnectA(root, name.c_str(), 21, server.user().c_str(),
                               server.password().c_str(), kServiceFtp, kFlagPassive, 0)
                     .handle != 0
             ? kConnected
             : kConnectFailed;
}

TEST_F(RealServer, SeveralAddressesAreTriedInTurnAndAMissingNameIsNotResolved) {
  START_OR_SKIP(server, testsupport::StartPyftpdlib());
  TempDir dir;
  testsupport::WriteFile(dir.file("hosts"), "::1 qp-multi\n127.0.0.1 qp-multi\n");
  testsupport::WriteFile(dir.file("nsswitch.conf"), "hosts: files\n");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(connectThroughTheSecondAddress(dir, server->port(), *server));
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == kNoArrangement) {
    GTEST_SKIP() << "cannot give a name two addresses here (needs root and ::1)";
  }
  EXPECT_EQ(WEXITSTATUS(status), kConnected);
}

}  // namespace
}  // namespace inet
