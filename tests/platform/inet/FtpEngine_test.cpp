// The engine against the scripted server: its own rules with the well-behaved scenario
// (handles, argument checks made before anything is sent, local files around transfers, the
// bytes and commands on the wire, the log-in, name resolution), and what each fault of a
// misbehaving one gives and leaves behind: the connection, the local files, the server's view.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/inet/FtpEngine.h"
#include "tests/platform/inet/EngineTestSupport.h"
#include "tests/support/common/FtpServers.h"
#include "tests/support/common/TempDir.h"

namespace inet {
namespace {

namespace fs = std::filesystem;
using namespace inet::testing;

// Listings longer than this are cut; the scripted listings except one stay far below it.
constexpr size_t kListingCap = 64 << 10;

class ScriptedEngine : public ::testing::Test {
 protected:
  static EngineOptions options() {
    EngineOptions options = ShortTimeouts();
    options.maxListingBytes = kListingCap;
    return options;
  }

  // Starts the scripted server playing `scenario` as m_server and logs in; 0 on a failure.
  Handle connectTo(const char* scenario) {
    m_server = testsupport::StartScriptedFtpd(scenario);
    if (!m_server) {
      ADD_FAILURE() << testsupport::LastStartFailure();
      return 0;
    }
    const HandleResult result = connect(m_server->address(), 21, "tester", "secret");
    EXPECT_NE(result.handle, 0u) << "error " << result.error;
    return result.handle;
  }

  HandleResult connect(const std::string& name, int32_t port, const char* user,
                       const char* password, uint32_t service = kServiceFtp) {
    return m_api->InternetConnectA(m_root, name.c_str(), port, user, password, service,
                                   kFlagPassive, 0);
  }

  BoolResult pwd(Handle connection) {
    char buffer[kMaxPath + 1] = {};
    uint32_t length = kMaxPath;
    return m_api->FtpGetCurrentDirectoryA(connection, buffer, &length);
  }

  // Stores the local file `name` under the same name.
  BoolResult put(Handle connection, const std::string& name, uint32_t type = kTransferTypeBinary) {
    return m_api->FtpPutFileA(connection, m_local.file(name).c_str(), name.c_str(), type, 0);
  }

  BoolResult get(Handle connection, const char* remote, const std::string& local, uint32_t type) {
    return m_api->FtpGetFileA(connection, remote, local.c_str(), 0, 0, kFlagReload | type, 0);
  }

  std::unique_ptr<InternetApi> m_api = MakeFtpEngine(options());
  Handle m_root = m_api->InternetOpenA(nullptr, kOpenTypePreconfig, nullptr, nullptr, 0).handle;
  std::unique_ptr<testsupport::FtpServer> m_server;
  testsupport::TempDir m_local;
};

// The well-behaved scripted server, logged in.
class Engine : public ScriptedEngine {
 protected:
  void SetUp() override {
    m_connection = connectTo("normal");
    ASSERT_NE(m_connection, 0u);
  }

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

// The current directory is asked once and kept; a rename within it keeps it (the start-up's
// rename into place then costs no PWD), a rename that names a path or ".." asks again.
TEST_F(Engine, TheCurrentDirectoryIsAskedAgainOnlyAfterWhatMayMoveIt) {
  const auto asked = [&] { return CountPrefix(m_server->commands(), "PWD"); };
  ASSERT_TRUE(pwd(m_connection).ok);
  ASSERT_TRUE(pwd(m_connection).ok);
  EXPECT_EQ(asked(), 1u);
  EXPECT_TRUE(m_api->FtpRenameFileA(m_connection, "hello.txt", "renamed.txt").ok);
  ASSERT_TRUE(pwd(m_connection).ok);
  EXPECT_EQ(asked(), 1u);
  for (const char* moving : {"../up", "sub/inner"}) {
    m_api->FtpRenameFileA(m_connection, "renamed.txt", moving);
    ASSERT_TRUE(pwd(m_connection).ok);
  }
  EXPECT_EQ(asked(), 3u);
  EXPECT_TRUE(m_api->FtpSetCurrentDirectoryA(m_connection, "sub").ok);
  ASSERT_TRUE(pwd(m_connection).ok);
  EXPECT_EQ(asked(), 4u);
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
  EXPECT_EQ(get(m_connection, "missing", m_local.file("keep"), kTransferTypeBinary).error,
            kErrorInternetExtendedError);
  EXPECT_EQ(ReadLastResponse(*m_api).code, 550u);
  EXPECT_EQ(testsupport::ReadFile(m_local.file("keep")), "kept");
  EXPECT_EQ(get(m_connection, "hello.txt", m_local.file("no/such"), kTransferTypeBinary).error,
            kErrorPathNotFound);
  ASSERT_TRUE(get(m_connection, "hello.txt", m_local.file("keep"), kTransferTypeBinary).ok);
  EXPECT_EQ(testsupport::ReadFile(m_local.file("keep")), "hello\r\nworld\r\n");
  EXPECT_EQ(testsupport::ReadFile(m_local.file("other-name")), "kept");
}

TEST_F(Engine, AsciiTransfersConvertLineEndsAndTheTypeIsSetWheneverItChanges) {
  ASSERT_TRUE(get(m_connection, "hello.txt", m_local.file("a"), kTransferTypeAscii).ok);
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

// Faults whose whole effect shows in a run of Quillpost (closing before the greeting or after
// PASS, a STOR refused, cut off or confirmed before its data, PASV naming another host, EPSV
// refused or unreadable, stalls and trickles) are checked by the fault matrix, which runs the
// program against this server. Here: what the engine leaves.

TEST_F(ScriptedEngine, BrokenRepliesAndListingsDropTheConnection) {
  const std::tuple<const char*, uint32_t, bool> cases[] = {
      // scenario, error of the operation that meets the fault, whether that is a listing
      {"stall", kErrorInternetTimeout, false},
      {"drop-mid-reply", kErrorInternetConnectionAborted, false},
      {"long-reply-line", kErrorInternetConnectionAborted, false},  // 100 KiB
      {"close-during-list", kErrorInternetConnectionAborted, true},
  };
  for (const auto& [scenario, error, listing] : cases) {
    SCOPED_TRACE(scenario);
    const Handle connection = connectTo(scenario);
    ASSERT_NE(connection, 0u);
    if (listing) {
      ASSERT_TRUE(pwd(connection).ok);
      uint32_t listError = 0;
      EXPECT_TRUE(ListAll(*m_api, connection, "*.*", &listError).empty());
      EXPECT_EQ(listError, error);
    } else {
      EXPECT_EQ(pwd(connection).error, error);
    }
    // Not even the remembered directory is given any more.
    EXPECT_EQ(pwd(connection).error, kErrorFtpDropped);
    EXPECT_EQ(m_api->FtpDeleteFileA(connection, "x").error, kErrorFtpDropped);
    EXPECT_TRUE(m_api->InternetCloseHandle(connection).ok);
  }
}

TEST_F(ScriptedEngine, BrokenDownloadKeepsTheOldLocalFileAndLeavesNoTemporaryFile) {
  const std::pair<const char*, uint32_t> cases[] = {
      {"close-before-226", kErrorInternetConnectionAborted},  // all data, then no 226
      {"stall-during-retr", kErrorInternetTimeout},
      {"retr-short", kErrorHandleEof}};  // half the data, then 226 all the same
  testsupport::WriteFile(m_local.file("hello.txt"), "old content");
  for (const auto& [scenario, error] : cases) {
    SCOPED_TRACE(scenario);
    const Handle connection = connectTo(scenario);
    ASSERT_NE(connection, 0u);
    EXPECT_EQ(get(connection, "hello.txt", m_local.file("hello.txt"), kTransferTypeBinary).error,
              error);
    EXPECT_EQ(testsupport::ReadFile(m_local.file("hello.txt")), "old content");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_local.path()), {}), 1);
  }
}

TEST_F(ScriptedEngine, BrokenUploadEndsTheSessionUnlessTheServerExplainedItself) {
  // More than the loopback socket buffers hold, so the sender has to wait for the server.
  testsupport::WriteFile(m_local.file("big.bin"), std::string(64 << 20, 'd'));
  Handle connection = connectTo("stor-552-mid");
  ASSERT_NE(connection, 0u);
  // The 552 wins over the broken data connection.
  EXPECT_EQ(put(connection, "big.bin").error, kErrorInternetExtendedError);
  EXPECT_EQ(ReadLastResponse(*m_api).code, 552u);
  EXPECT_TRUE(pwd(connection).ok);
  connection = connectTo("stall-during-stor");
  ASSERT_NE(connection, 0u);
  EXPECT_EQ(put(connection, "big.bin").error, kErrorInternetTimeout);
  EXPECT_EQ(pwd(connection).error, kErrorFtpDropped);
}

TEST_F(ScriptedEngine, MultiLineErrorReplyIsKeptWhole) {
  const Handle connection = connectTo("multi-line-error");
  ASSERT_NE(connection, 0u);
  EXPECT_EQ(m_api->FtpDeleteFileA(connection, "locked.txt").error, kErrorInternetExtendedError);
  const std::string expected =
      "550-Cannot delete locked.txt:\r\n550-the file is locked\r\n550 by another session.\r\n";
  const LastResponse last = ReadLastResponse(*m_api);
  EXPECT_EQ(last.code, 550u);
  EXPECT_EQ(last.text, expected);
}

TEST_F(ScriptedEngine, MlsdRefusedFallsBackToListOnce) {
  const Handle connection = connectTo("mlsd-500");
  ASSERT_NE(connection, 0u);
  uint32_t error = 0;
  EXPECT_EQ(ListAll(*m_api, connection, "*.*", &error).size(), 1u);
  EXPECT_EQ(ListAll(*m_api, connection, "*.*", &error).size(), 1u);
  EXPECT_EQ(CountPrefix(m_server->commands(), "MLSD"), 1u);
  EXPECT_EQ(CountPrefix(m_server->commands(), "LIST"), 2u);
}

TEST_F(ScriptedEngine, ListingOverTheCapKeepsTheEntriesThatFitAndTheSession) {
  // 20,000 lines of about 55 bytes, "file0.txt" to "file19999.txt".
  const Handle connection = connectTo("listing-over-cap");
  ASSERT_NE(connection, 0u);
  uint32_t error = 0;
  const auto entries = ListAll(*m_api, connection, nullptr, &error);
  EXPECT_EQ(error, kErrorMoreData);
  size_t fit = 0;  // the whole lines within the cap
  for (size_t bytes = 0;; ++fit) {
    bytes +=
        ("-rw-r--r-- 1 user group 5 Jan  1  2020 file" + std::to_string(fit) + ".txt\r\n").size();
    if (bytes > kListingCap) break;
  }
  ASSERT_EQ(entries.size(), fit);
  for (size_t i = 0; i < fit; ++i) ASSERT_EQ(entries[i].name, "file" + std::to_string(i) + ".txt");
  // The rest of the listing and its final reply are dealt with: the next upload is stored.
  testsupport::WriteFile(m_local.file("after.txt"), "after");
  EXPECT_TRUE(put(connection, "after.txt").ok);
  EXPECT_EQ(testsupport::ReadFile(m_server->root() + "/after.txt"), "after");
}

// The stored size of a file, as SIZE tells it in binary mode; a server that cannot tell says
// so with its own code, without a command it never offered.
TEST_F(ScriptedEngine, FileSizeIsAskedInBinaryModeAndAServerWithoutSizeCannotTell) {
  Handle connection = connectTo("normal");
  ASSERT_NE(connection, 0u);
  uint64_t size = 0;
  EXPECT_TRUE(m_api->FtpGetFileSizeA(connection, "hello.txt", &size).ok);
  EXPECT_EQ(size, 14u);
  EXPECT_EQ(m_api->FtpGetFileSizeA(connection, "missing.txt", &size).error,
            kErrorInternetExtendedError);
  EXPECT_EQ(ReadLastResponse(*m_api).code, 550u);
  const std::vector<std::string> commands = m_server->commands();
  EXPECT_EQ(std::vector<std::string>(commands.end() - 3, commands.end()),
            (std::vector<std::string>{"TYPE I", "SIZE hello.txt", "SIZE missing.txt"}));
  connection = connectTo("no-size");
  ASSERT_NE(connection, 0u);
  EXPECT_EQ(m_api->FtpGetFileSizeA(connection, "hello.txt", &size).error, kErrorNotSupported);
  EXPECT_EQ(CountPrefix(m_server->commands(), "SIZE"), 0u);
}

// The status callback hears an upload's progress against the file's size, also while the
// upload waits on a server that reads no more; a cancel there ends it with its own code, tells
// the server (ABOR, with NOOP to find the end of its answers) and leaves the connection usable.
TEST_F(ScriptedEngine, ProgressIsToldWhileAnUploadWaitsAndItsCancelLeavesTheConnectionUsable) {
  // The wait must outlast the callback's calls: the cancel, not the idle rule, ends it.
  EngineOptions patient = options();
  patient.dataIdleTimeout = std::chrono::seconds(30);
  m_api = MakeFtpEngine(patient);
  m_root = m_api->InternetOpenA(nullptr, kOpenTypePreconfig, nullptr, nullptr, 0).handle;
  const Handle connection = connectTo("stor-held");
  ASSERT_NE(connection, 0u);
  std::vector<TransferProgress> told;
  ASSERT_TRUE(m_api
                  ->InternetSetStatusCallbackA(m_root,
                                               [&](uintptr_t, const TransferProgress& progress) {
                                                 told.push_back(progress);
                                                 return told.size() < 8;
                                               })
                  .ok);
  // Far more than the socket buffers hold.
  constexpr uint64_t kSize = 64 << 20;
  testsupport::WriteFile(m_local.file("big.bin"), std::string(kSize, 'b'));
  EXPECT_EQ(put(connection, "big.bin").error, kErrorOperationCancelled);
  ASSERT_EQ(told.size(), 8u);
  EXPECT_TRUE(std::is_sorted(
      told.begin(), told.end(),
      [](const TransferProgress& a, const TransferProgress& b) { return a.bytes < b.bytes; }));
  EXPECT_EQ(told.back().total, kSize);
  EXPECT_LT(told.back().bytes, kSize);
  EXPECT_EQ(told[6].bytes, told[7].bytes) << "told while nothing moved";
  EXPECT_TRUE(m_api->FtpSetCurrentDirectoryA(connection, "sub").ok);
  const std::vector<std::string> commands = m_server->commands();
  EXPECT_EQ(std::vector<std::string>(commands.end() - 4, commands.end()),
            (std::vector<std::string>{"STOR big.bin", "ABOR", "NOOP", "CWD sub"}));
}

// A server that answers nothing once the upload is cancelled leaves the protocol state
// unknown: the connection is dropped, and the cancel still ends the call at once.
TEST_F(ScriptedEngine, CancelAgainstAServerThatAnswersNothingDropsTheConnection) {
  const Handle connection = connectTo("stall-during-stor");
  ASSERT_NE(connection, 0u);
  int calls = 0;
  ASSERT_TRUE(m_api
                  ->InternetSetStatusCallbackA(
                      m_root, [&](uintptr_t, const TransferProgress&) { return ++calls < 3; })
                  .ok);
  testsupport::WriteFile(m_local.file("big.bin"), std::string(64 << 20, 'b'));
  EXPECT_EQ(put(connection, "big.bin").error, kErrorOperationCancelled);
  EXPECT_EQ(m_api->FtpSetCurrentDirectoryA(connection, "sub").error, kErrorFtpDropped);
}

}  // namespace
}  // namespace inet
