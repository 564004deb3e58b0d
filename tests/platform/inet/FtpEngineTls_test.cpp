// The engine over TLS (ftpes://, ftps://) against real servers (pyftpdlib, vsftpd, proftpd,
// pure-ftpd) and the scripted one, with certificates made for the test: stored and fetched bytes
// compared, not the replies; every refused certificate with its code, reason and fingerprint;
// and never a USER or PASS sent where TLS could not be had.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "platform/codepage/CodePage.h"
#include "platform/inet/FtpEngine.h"
#include "tests/platform/inet/EngineTestSupport.h"
#include "tests/support/common/FtpServers.h"
#include "tests/support/common/Process.h"
#include "tests/support/common/TempDir.h"

namespace inet {
namespace {

using testsupport::FtpServer;
using testsupport::TempDir;
using testsupport::TestCertificate;
using namespace inet::testing;

size_t occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

std::string fingerprint(const std::string& certificate) {
  const std::string out = testsupport::RunProcess({"openssl", "x509", "-noout", "-fingerprint",
                                                   "-sha256", "-in", certificate})
                              .out;
  return out.substr(out.find('=') + 1, 95);
}

class Tls : public ::testing::Test {
 protected:
  // A connection as the server's user over `scheme`, trusting `trust` (a file; "" for none).
  HandleResult connect(const FtpServer& server, const std::string& scheme, const std::string& trust,
                       uint32_t flags = kFlagPassive) {
    EngineOptions options = m_options;
    options.trustFile = trust;
    m_api = MakeFtpEngine(options);
    const Handle root = m_api->InternetOpenA(nullptr, 0, nullptr, nullptr, 0).handle;
    const std::string name = scheme + server.address();
    return m_api->InternetConnectA(root, name.c_str(), 21, server.user().c_str(),
                                   server.password().c_str(), kServiceFtp, flags, 0);
  }

  // Uploads, lists and downloads a file of random bytes in `folder` (below the served folder; ""
  // for itself); compares what arrived both ways.
  void roundTrip(const FtpServer& server, Handle connection, const std::string& folder = "") {
    const std::string stored = server.root() + (folder.empty() ? "" : "/" + folder) + "/up.bin";
    if (!folder.empty()) {
      ASSERT_TRUE(m_api->FtpSetCurrentDirectoryA(connection, folder.c_str()).ok);
    }
    std::mt19937 random(11);
    std::string content(3 << 20, '\0');
    for (char& c : content) c = static_cast<char>(random() & 0xFF);
    testsupport::WriteFile(m_local.file("up.bin"), content);
    for (int i = 0; i < 2; ++i) {  // a second round reuses the newest TLS session again
      ASSERT_TRUE(m_api
                      ->FtpPutFileA(connection, m_local.file("up.bin").c_str(), "up.bin",
                                    kTransferTypeBinary, 0)
                      .ok);
      EXPECT_TRUE(testsupport::ReadFile(stored) == content);
      uint32_t error = 0;
      const auto listed = ListAll(*m_api, connection, "*.*", &error);
      EXPECT_EQ(error, kErrorNoMoreFiles);
      EXPECT_TRUE(std::any_of(listed.begin(), listed.end(), [](const Listed& entry) {
        return entry.name == "up.bin" && entry.size == 3u << 20;
      }));
      ASSERT_TRUE(m_api
                      ->FtpGetFileA(connection, "up.bin", m_local.file("down.bin").c_str(), 0, 0,
                                    kFlagReload | kTransferTypeBinary, 0)
                      .ok);
      EXPECT_TRUE(testsupport::ReadFile(m_local.file("down.bin")) == content);
    }
  }

  // roundTrip in passive and in active mode, each on a connection of its own.
  void roundTripsBothModes(const FtpServer& server, const std::string& scheme = "ftpes://",
                           const std::string& folder = "") {
    for (uint32_t flags : {kFlagPassive, 0u}) {
      SCOPED_TRACE(scheme + (flags ? " passive" : " active"));
      const HandleResult connection = connect(server, scheme, TestCertificate("ca.crt"), flags);
      ASSERT_NE(connection.handle, 0u) << connection.error;
      roundTrip(server, connection.handle, folder);
      server.handRootToServer();  // the next round overwrites what this one stored
    }
  }

  EngineOptions m_options = ShortTimeouts();
  std::unique_ptr<InternetApi> m_api;
  TempDir m_local;
};

#define START_OR_SKIP(server, start) \
  auto server = start;               \
  if (!server) GTEST_SKIP() << testsupport::LastStartFailure();

TEST_F(Tls, ExplicitTlsCarriesUploadsListingsAndDownloadsWhole) {
  testsupport::PyftpdlibOptions options;
  options.tlsCertificate = TestCertificate("server.pem");
  START_OR_SKIP(server, testsupport::StartPyftpdlib(options));
  roundTripsBothModes(*server);
  const std::vector<std::string> commands = server->commands();
  EXPECT_EQ(commands.at(0), "AUTH TLS");
  EXPECT_TRUE(Contains(commands, "PBSZ 0") && Contains(commands, "PROT P"));
}

TEST_F(Tls, VsftpdRequiringSessionReuseTakesExplicitAndImplicitTls) {
  for (auto mode : {testsupport::TlsMode::Explicit, testsupport::TlsMode::Implicit}) {
    testsupport::VsftpdOptions options;
    options.tls = mode;
    options.tlsCertificate = TestCertificate("server.pem");
    START_OR_SKIP(server, testsupport::StartVsftpd(options));
    roundTripsBothModes(*server, mode == testsupport::TlsMode::Explicit ? "ftpes://" : "ftps://");
  }
}

TEST_F(Tls, PureFtpdTakesExplicitTls) {
  START_OR_SKIP(server,
                testsupport::StartPureFtpd({.tlsCertificate = TestCertificate("server.pem")}));
  roundTripsBothModes(*server);
}

// proftpd takes each TLS 1.3 ticket once, sends none on an upload's data connection and refuses
// a data connection that resumes no session: the first transfer after an upload is refused.
// The session then goes on at TLS 1.2, where every data connection resumes.
TEST_F(Tls, ProftpdRefusingTheConnectionAfterAnUploadIsServedAtTls12) {
  START_OR_SKIP(server,
                testsupport::StartProftpd({.tlsCertificate = TestCertificate("server.pem")}));
  // proftpd accepts no connection for 400 ms after one of its sessions ended.
  m_options.replyTimeout = std::chrono::seconds(2);
  // In a folder of its own, which the new connection must return to.
  std::filesystem::create_directory(server->root() + "/inner");
  server->handRootToServer();
  roundTripsBothModes(*server, "ftpes://", "inner");
  // Its TLS log: one refusal per session and none after it, as the session went on over a new
  // control connection at TLS 1.2.
  const std::string log = server->serverOutput();
  EXPECT_EQ(occurrences(log, "client did not reuse TLS session, rejecting data connection"), 2u)
      << log;
  EXPECT_EQ(occurrences(log, "TLSv1.2 connection accepted"), 2u) << log;
}

TEST_F(Tls, TheServersOwnCertificateInTheTrustFileIsEnough) {
  START_OR_SKIP(server, testsupport::StartScriptedFtpd("tls", TestCertificate("server.pem")));
  const HandleResult connection = connect(*server, "ftpes://", TestCertificate("server.crt"));
  ASSERT_NE(connection.handle, 0u) << connection.error;
  roundTrip(*server, connection.handle);
}

TEST_F(Tls, RefusedCertificatesNameCodeReasonAndFingerprintAndNoLoginIsSent) {
  // Certificate, trust file, code: the system's store knows no test CA.
  const std::tuple<std::string, const char*, uint32_t> cases[] = {
      {"server", "", kErrorInternetInvalidCa},
      {"selfsigned", "ca.crt", kErrorInternetInvalidCa},
      {"expired", "ca.crt", kErrorInternetSecCertDateInvalid},
      {"othername", "ca.crt", kErrorInternetSecCertCnInvalid}};
  for (const auto& [certificate, trust, code] : cases) {
    SCOPED_TRACE(certificate);
    START_OR_SKIP(server,
                  testsupport::StartScriptedFtpd("tls", TestCertificate(certificate + ".pem")));
    EXPECT_EQ(connect(*server, "ftpes://", *trust ? TestCertificate(trust) : "").error,
              kErrorInternetExtendedError);
    const LastResponse last = ReadLastResponse(*m_api);
    EXPECT_EQ(last.code, code);
    EXPECT_NE(last.text.find(fingerprint(TestCertificate(certificate + ".crt"))), std::string::npos)
        << last.text;
    EXPECT_EQ(server->commands(), std::vector<std::string>{"AUTH TLS"});
  }
}

TEST_F(Tls, TlsThatCannotBeHadFailsBeforeAnythingIsSentInClear) {
  // The normal scripted server refuses AUTH: no fallback to a login in clear.
  START_OR_SKIP(server, testsupport::StartScriptedFtpd("normal"));
  EXPECT_EQ(connect(*server, "ftpes://", "").error, kErrorInternetExtendedError);
  EXPECT_EQ(ReadLastResponse(*m_api).code, kErrorInternetSecurityChannelError);
  EXPECT_EQ(server->commands(), std::vector<std::string>{"AUTH TLS"});
  // A trust file that is no PEM is an error, never "trust anything": nothing is even connected.
  testsupport::WriteFile(m_local.file("broken.pem"), "-----BEGIN CERTIFICATE-----\nnot base64\n");
  START_OR_SKIP(tlsServer, testsupport::StartScriptedFtpd("tls", TestCertificate("server.pem")));
  EXPECT_EQ(connect(*tlsServer, "ftpes://", m_local.file("broken.pem")).error,
            kErrorInternetExtendedError);
  EXPECT_EQ(ReadLastResponse(*m_api).code, kErrorInternetSecurityChannelError);
  EXPECT_TRUE(tlsServer->commands().empty());
}

TEST_F(Tls, AMissingTrustFileAddsNothingAndAFolderInItsPlaceIsRefused) {
  START_OR_SKIP(server, testsupport::StartScriptedFtpd("tls", TestCertificate("server.pem")));
  // Missing: the certificate is judged by the system's store alone, which knows no test CA.
  EXPECT_EQ(connect(*server, "ftpes://", m_local.file("absent.pem")).error,
            kErrorInternetExtendedError);
  EXPECT_EQ(ReadLastResponse(*m_api).code, kErrorInternetInvalidCa);
  std::filesystem::create_directory(m_local.file("folder.pem"));
  EXPECT_EQ(connect(*server, "ftpes://", m_local.file("folder.pem")).error,
            kErrorInternetExtendedError);
  EXPECT_EQ(ReadLastResponse(*m_api).code, kErrorInternetSecurityChannelError);
}

// STARTTLS injection: a forged "230" sent in clear right behind "234" must not be read as the
// reply to USER once TLS is up.
TEST_F(Tls, PlainTextArrivingBeforeTheHandshakeEndsTheConnectionBeforeAnyLogin) {
  START_OR_SKIP(server,
                testsupport::StartScriptedFtpd("tls-inject", TestCertificate("server.pem")));
  EXPECT_EQ(connect(*server, "ftpes://", TestCertificate("ca.crt")).error,
            kErrorInternetExtendedError);
  const LastResponse last = ReadLastResponse(*m_api);
  EXPECT_EQ(last.code, kErrorInternetSecurityChannelError);
  EXPECT_NE(last.text.find(codepage::ToAnsi(u"暗号化されていないデータ")), std::string::npos)
      << last.text;
  EXPECT_EQ(server->commands(), std::vector<std::string>{"AUTH TLS"});
}

// A data port that shows another certificate (anyone on the path can) fails the transfer; it
// is no sign of a server that refuses TLS 1.3 resumption, so the session is not reconnected at
// TLS 1.2.
TEST_F(Tls, AStrangersCertificateOnTheDataPortFailsTheTransferWithoutAReconnection) {
  START_OR_SKIP(server,
                testsupport::StartScriptedFtpd("tls", TestCertificate("server.pem"),
                                               {"--data-cert", TestCertificate("selfsigned.pem")}));
  const HandleResult connection = connect(*server, "ftpes://", TestCertificate("ca.crt"));
  ASSERT_NE(connection.handle, 0u) << connection.error;
  uint32_t error = 0;
  EXPECT_TRUE(ListAll(*m_api, connection.handle, "*.*", &error).empty());
  EXPECT_EQ(error, kErrorInternetExtendedError);
  EXPECT_EQ(ReadLastResponse(*m_api).code, kErrorInternetInvalidCa);
  EXPECT_EQ(CountPrefix(server->commands(), "USER"), 1u);
}

// After an upload the server's close_notify proves nothing its final reply does not: a server
// that closes without it has stored the file. A download so cut is a truncation (below).
TEST_F(Tls, UploadToAServerThatClosesWithoutCloseNotifyIsStored) {
  START_OR_SKIP(server, testsupport::StartScriptedFtpd("tls-stor-no-close-notify",
                                                       TestCertificate("server.pem")));
  const HandleResult connection = connect(*server, "ftpes://", TestCertificate("ca.crt"));
  ASSERT_NE(connection.handle, 0u) << connection.error;
  const std::string content(200 * 1024, 'q');
  testsupport::WriteFile(m_local.file("up.bin"), content);
  const BoolResult put = m_api->FtpPutFileA(connection.handle, m_local.file("up.bin").c_str(),
                                            "up.bin", kTransferTypeBinary, 0);
  EXPECT_TRUE(put.ok) << put.error;
  EXPECT_TRUE(testsupport::ReadFile(server->root() + "/up.bin") == content);
}

TEST_F(Tls, DownloadWhoseDataEndsWithoutCloseNotifyIsATruncation) {
  START_OR_SKIP(server,
                testsupport::StartScriptedFtpd("tls-cut-download", TestCertificate("server.pem")));
  const HandleResult connection = connect(*server, "ftpes://", TestCertificate("ca.crt"));
  ASSERT_NE(connection.handle, 0u) << connection.error;
  EXPECT_EQ(m_api
                ->FtpGetFileA(connection.handle, "hello.txt", m_local.file("hello.txt").c_str(), 0,
                              0, kFlagReload | kTransferTypeAscii, 0)
                .error,
            kErrorInternetConnectionAborted);
  EXPECT_FALSE(testsupport::RunProcess({"test", "-e", m_local.file("hello.txt")}).exitCode == 0);
}

}  // namespace
}  // namespace inet
