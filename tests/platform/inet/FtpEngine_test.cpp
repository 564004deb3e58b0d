// The engine's own rules, against the well-behaved scripted server: handles, argument checks
// made before anything is sent, local files around transfers, the bytes and commands on the
// wire, the log-in, and name resolution.
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/inet/FtpEngine.h"
#include "tests/platform/inet/EngineTestSupport.h"
#include "tests/support/common/FtpServers.h"
#include "tests/support/common/TempDir.h"

namespace inet {
namespace {

using testsupport::TempDir;
using namespace inet::testing;

class Engine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(m_server, nullptr) << testsupport::LastStartFailure();
    m_root = m_api->InternetOpenA(nullptr, kOpenTypePreconfig, nullptr, nullptr, 0).handle;
    ASSERT_NE(m_root, 0u);
    const HandleResult result = connect(m_server->address(), 21, "tester", "secret");
    ASSERT_NE(result.handle, 0u) << "error " << result.error;
    m_connection = result.handle;
  }

  HandleResult connect(const std::string& name, int32_t port, const char* user,
                       const char* password, uint32_t service = kServiceFtp) {
    return m_api->InternetConnectA(m_root, name.c_str(), port, user, password, service,
                                   kFlagPassive, 0);
  }

  BoolResult get(const char* remote, const std::string& local, uint32_t type) {
    return m_api->FtpGetFileA(m_connection, remote, local.c_str(), 0, 0, kFlagReload | type, 0);
  }

  // Stores `content` as `name` on the server.
  void put(const std::string& name, const std::string& content) {
    testsupport::WriteFile(m_local.file(name), content);
    ASSERT_TRUE(m_api
                    ->FtpPutFileA(m_connection, m_local.file(name).c_str(), name.c_str(),
                                  kTransferTypeBinary, 0)
                    .ok);
  }

  std::unique_ptr<InternetApi> m_api = MakeFtpEngine(ShortTimeouts());
  std::unique_ptr<testsupport::FtpServer> m_server = testsupport::StartScriptedFtpd("normal");
  TempDir m_local;
  Handle m_root = 0;
  Handle m_connection = 0;
};

TEST_F(Engine, HandlesOfAnotherKindClosedOrUnknownAreInvalidAndClosingEndsWhatTheyOwn) {
  FindData data;
  EXPECT_EQ(m_api->FtpDeleteFileA(0, "x").error, kErrorInvalidHandle);
  EXPECT_EQ(m_api->FtpDeleteFileA(m_root, "x").error, kErrorInvalidHandle);
  EXPECT_EQ(m_api->InternetFindNextFileA(m_connection, &data).error, kErrorInvalidHandle);
  EXPECT_EQ(
      m_api->InternetConnectA(m_connection, "127.0.0.1", 21, nullptr, nullptr, kServiceFtp, 0, 0)
          .error,
      kErrorInvalidHandle);
  EXPECT_EQ(m_api->InternetCloseHandle(12345).error, kErrorInvalidHandle);
  const HandleResult find = m_api->FtpFindFirstFileA(m_connection, "*.*", &data, 0, 0);
  ASSERT_NE(find.handle, 0u);
  EXPECT_TRUE(m_api->InternetCloseHandle(m_connection).ok);
  EXPECT_EQ(m_api->InternetFindNextFileA(find.handle, &data).error, kErrorInvalidHandle);
  EXPECT_EQ(m_api->InternetCloseHandle(m_connection).error, kErrorInvalidHandle);
  EXPECT_EQ(m_server->commands().back(), "QUIT");
  // The root ends its connections.
  const Handle second = connect(m_server->address(), 21, "tester", "secret").handle;
  ASSERT_NE(second, 0u);
  EXPECT_TRUE(m_api->InternetCloseHandle(m_root).ok);
  EXPECT_EQ(m_api->FtpDeleteFileA(second, "hello.txt").error, kErrorInvalidHandle);
  EXPECT_EQ(CountPrefix(m_server->commands(), "DELE"), 0u);
}

TEST_F(Engine, LineBreaksInNamesAreRefusedBeforeAnythingIsSent) {
  const std::vector<std::string> before = m_server->commands();
  ASSERT_TRUE(Contains(before, "USER tester"));  // the log shows what was sent
  EXPECT_EQ(m_api->FtpDeleteFileA(m_connection, "a\r\nDELE hello.txt").error,
            kErrorInvalidParameter);
  EXPECT_EQ(m_api->FtpSetCurrentDirectoryA(m_connection, "x\nRMD y").error, kErrorInvalidParameter);
  EXPECT_EQ(m_api->FtpRenameFileA(m_connection, "hello.txt", "b\r").error, kErrorInvalidParameter);
  EXPECT_EQ(m_api->FtpCreateDirectoryA(m_connection, nullptr).error, kErrorInvalidParameter);
  FindData data;
  EXPECT_EQ(m_api->FtpFindFirstFileA(m_connection, "*\r\nQUIT", &data, 0, 0).error,
            kErrorInvalidParameter);
  EXPECT_EQ(m_server->commands(), before);
  EXPECT_EQ(connect(m_server->address(), 21, "u\r\nSITE x", nullptr).error, kErrorInvalidParameter);
  EXPECT_EQ(connect(m_server->address(), 21, "u", "p\nSITE x").error, kErrorInvalidParameter);
}

TEST_F(Engine, CurrentDirectoryHonoursTheBufferContract) {
  char buffer[kMaxPath + 1] = {};
  uint32_t length = kMaxPath;
  ASSERT_TRUE(m_api->FtpGetCurrentDirectoryA(m_connection, buffer, &length).ok);
  EXPECT_STREQ(buffer, "/");
  EXPECT_EQ(length, 1u);
  char tiny[1] = {'z'};
  length = 1;
  EXPECT_EQ(m_api->FtpGetCurrentDirectoryA(m_connection, tiny, &length).error,
            kErrorInsufficientBuffer);
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(tiny[0], 'z');
}

TEST_F(Engine, LocalFileProblemsFailBeforeAnythingIsSentAndDownloadsReplaceOnlyByRename) {
  const auto upload = [&](const std::string& local) {
    return m_api->FtpPutFileA(m_connection, local.c_str(), "r", kTransferTypeBinary, 0).error;
  };
  EXPECT_EQ(upload(m_local.file("none")), kErrorFileNotFound);
  EXPECT_EQ(upload(m_local.file("no/none")), kErrorPathNotFound);
  EXPECT_EQ(upload(m_local.path()), kErrorAccessDenied);
  EXPECT_EQ(CountPrefix(m_server->commands(), "STOR"), 0u);
  EXPECT_EQ(CountPrefix(m_server->commands(), "EPSV"), 0u);
  testsupport::WriteFile(m_local.file("keep"), "kept");
  // A second name for the old file: writing in place would change it too.
  ASSERT_EQ(::link(m_local.file("keep").c_str(), m_local.file("other-name").c_str()), 0);
  EXPECT_EQ(get("missing", m_local.file("keep"), kTransferTypeBinary).error,
            kErrorInternetExtendedError);
  EXPECT_EQ(ReadLastResponse(*m_api).code, 550u);
  EXPECT_EQ(testsupport::ReadFile(m_local.file("keep")), "kept");
  EXPECT_EQ(get("hello.txt", m_local.file("no/such"), kTransferTypeBinary).error,
            kErrorPathNotFound);
  ASSERT_TRUE(get("hello.txt", m_local.file("keep"), kTransferTypeBinary).ok);
  EXPECT_EQ(testsupport::ReadFile(m_local.file("keep")), "hello\r\nworld\r\n");
  EXPECT_EQ(testsupport::ReadFile(m_local.file("other-name")), "kept");
}

TEST_F(Engine, AsciiTransfersConvertLineEndsAndTheTypeIsSetWheneverItChanges) {
  ASSERT_TRUE(get("hello.txt", m_local.file("a"), kTransferTypeAscii).ok);
  EXPECT_EQ(testsupport::ReadFile(m_local.file("a")), "hello\nworld\n");
  testsupport::WriteFile(m_local.file("t"), "one\ntwo\r\n\nend\r");
  ASSERT_TRUE(m_api->FtpPutFileA(m_connection, m_local.file("t").c_str(), "a", 1, 0).ok);
  ASSERT_TRUE(m_api->FtpPutFileA(m_connection, m_local.file("t").c_str(), "b", 2, 0).ok);
  EXPECT_EQ(testsupport::ReadFile(m_server->root() + "/a"), "one\r\ntwo\r\n\r\nend\r");
  EXPECT_EQ(testsupport::ReadFile(m_server->root() + "/b"), "one\ntwo\r\n\nend\r");
  std::vector<std::string> types;
  for (const std::string& line : m_server->commands()) {
    if (line.rfind("TYPE", 0) == 0) types.push_back(line);
  }
  EXPECT_EQ(types, (std::vector<std::string>{"TYPE A", "TYPE I"}));
}

TEST_F(Engine, MissingPasswordIsSentEmptyAndAMissingUserLogsInAsAnonymous) {
  EXPECT_NE(connect(m_server->address(), 21, "tester", nullptr).handle, 0u);
  EXPECT_TRUE(Contains(m_server->commands(), "PASS"));
  EXPECT_NE(connect(m_server->address(), 21, nullptr, nullptr).handle, 0u);
  EXPECT_TRUE(Contains(m_server->commands(), "USER anonymous"));
}

TEST_F(Engine, UnresolvableNameBadPortAndRefusedConnection) {
  EXPECT_EQ(connect("no-such-host.invalid", 21, nullptr, nullptr).error,
            kErrorInternetNameNotResolved);
  EXPECT_EQ(connect("127.0.0.1", 0, nullptr, nullptr).error, kErrorInvalidParameter);
  EXPECT_EQ(connect("127.0.0.1:70000", 21, nullptr, nullptr).error, kErrorInvalidParameter);
  EXPECT_EQ(connect("127.0.0.1", 21, nullptr, nullptr, 3).error, kErrorInvalidParameter);
  // A port that was just served: nobody listens there any more.
  const std::string address = m_server->address();
  m_server.reset();
  EXPECT_EQ(connect(address, 21, nullptr, nullptr).error, kErrorInternetCannotConnect);
}

}  // namespace
}  // namespace inet
