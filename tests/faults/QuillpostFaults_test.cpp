// The fault matrix: the built Quillpost, a copy beside its settings file in a temporary folder,
// run headless against the scripted misbehaving server (a process of its own), one fault each.
// Every run must end before its deadline with the exit status that names what failed, show
// the failure on standard error, claim no upload that did not happen, and leave the local
// file as it was.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <regex>
#include <sstream>

#include "tests/support/common/Process.h"
#include "tests/support/common/TempDir.h"
#include "tests/uploader/UploaderTestSupport.h"

#ifndef QP_QUILLPOST
#error "QP_QUILLPOST must name the built Quillpost"
#endif

namespace {

namespace fs = std::filesystem;
using testsupport::ProcessResult;

constexpr int kDone = 0;
constexpr int kNotConnected = 3;
constexpr int kUploadFailed = 4;
constexpr int kConnectionAborted = 12030;
constexpr int kTimeout = 12002;
constexpr char kRemoteName[] = "stored.bin";

// A megabyte of fixed pseudo-random bytes: large enough to be cut off mid-transfer.
std::string sampleBytes() {
  std::mt19937 random(20261207);
  std::string bytes(1 << 20, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class QuillpostFaults : public testing::Test {
 protected:
  void SetUp() override {
    testsupport::WriteFile(localFile(), sampleBytes());
    m_localSha256 = sha256(localFile());
  }

  void TearDown() override {
    if (m_server > 0) testsupport::StopProcess(m_server);
    // Whatever the run did, the file it uploads is as it was.
    EXPECT_EQ(sha256(localFile()), m_localSha256);
  }

  std::string localFile() const { return m_local.file("upload.bin"); }

  static std::string sha256(const std::string& path) {
    return testsupport::RunProcess({"sha256sum", path}).out.substr(0, 64);
  }

  // Starts scripted_ftpd playing `scenario`; it prints its port first, then logs commands.
  void startServer(const std::string& scenario) {
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const std::string log = m_folder.file("commands.log");
    const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    std::string error;
    m_server = testsupport::SpawnProcess({QP_SCRIPTED_FTPD, scenario}, {}, out[1], logFd, error);
    ::close(out[1]);
    ::close(logFd);
    std::string port;
    char c = 0;
    pollfd in{out[0], POLLIN, 0};
    while (::poll(&in, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') port += c;
    ::close(out[0]);
    ASSERT_GT(m_server, 0) << error;
    ASSERT_FALSE(port.empty()) << "scripted_ftpd printed no port";
    m_address = "127.0.0.1:" + port;
  }

  // Every command the server received, in order.
  std::vector<std::string> serverCommands() const {
    std::vector<std::string> lines;
    std::istringstream log(testsupport::ReadFile(m_folder.file("commands.log")));
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
  }

  // Runs `program` (copied beside its settings file) headless: upload.bin to the server's
  // folder "incoming" as stored.bin.
  ProcessResult runQuillpost(const std::string& program = QP_QUILLPOST) {
    const std::string copy = m_folder.file("Quillpost");
    fs::copy_file(program, copy, fs::copy_options::overwrite_existing);
    uploadertest::WriteSettingsFile(m_folder.path(),
                                    {uploadertest::U16(m_address), u"tester", u"", u"incoming",
                                     uploadertest::U16(localFile()), u"stored.bin"},
                                    u"secret");
    testsupport::ProcessOptions options = testsupport::Headless();
    options.timeout = std::chrono::seconds(8);
    ProcessResult result = testsupport::RunProcess({copy}, options);
    EXPECT_FALSE(result.timedOut) << "still running after 8 s";
    return result;
  }

  // A failed run: `status`, the one-line record of the error box of `errorNumber` on standard
  // error, and neither a completion message nor a stored record.
  static void expectFailure(const ProcessResult& result, int status, int errorNumber) {
    EXPECT_EQ(result.exitCode, status) << result.err;
    const std::regex box(" Quillpost: " + std::to_string(errorNumber) + " / [^\n]+\n");
    EXPECT_TRUE(std::regex_search(result.err, box)) << result.err;
    EXPECT_EQ(result.err.find("に送信されました"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }

  // A run that stored the file: status 0, the completion message as the only record, and the
  // stored record on standard output.
  void expectStored(const ProcessResult& result) const {
    EXPECT_EQ(result.exitCode, kDone) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_NE(result.err.find(" Quillpost: Quillpost ver1.0 / "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(" / ftp://" + m_address + " / に送信されました\n"), std::string::npos)
        << result.err;
    EXPECT_NE(result.out.find(" Quillpost: stored server=" + m_address + " "), std::string::npos)
        << result.out;
    EXPECT_TRUE(contains(serverCommands(), std::string("STOR ") + kRemoteName));
  }

  testsupport::TempDir m_folder;  // the program, its settings file, the server's log
  testsupport::TempDir m_local;   // the file to upload
  std::string m_localSha256;
  pid_t m_server = -1;
  std::string m_address;
};

TEST_F(QuillpostFaults, ServerClosingBeforeTheGreetingEndsNotConnected) {
  ASSERT_NO_FATAL_FAILURE(startServer("close-before-greeting"));
  const ProcessResult result = runQuillpost();
  expectFailure(result, kNotConnected, kConnectionAborted);
  EXPECT_NE(result.err.find("Quillpost: 接続できませんでした\n"), std::string::npos);
}

TEST_F(QuillpostFaults, ServerClosingAfterPassEndsNotConnected) {
  ASSERT_NO_FATAL_FAILURE(startServer("close-after-pass"));
  const ProcessResult result = runQuillpost();
  expectFailure(result, kNotConnected, kConnectionAborted);
  EXPECT_NE(result.err.find("Quillpost: 接続できませんでした\n"), std::string::npos);
  EXPECT_FALSE(contains(serverCommands(), "FEAT"));
}

TEST_F(QuillpostFaults, ServerClosingDuringListEndsWithTheUploadFailed) {
  ASSERT_NO_FATAL_FAILURE(startServer("close-during-list"));
  const ProcessResult result = runQuillpost();
  expectFailure(result, kUploadFailed, kConnectionAborted);
  EXPECT_FALSE(contains(serverCommands(), std::string("STOR ") + kRemoteName));
}

TEST_F(QuillpostFaults, ServerClosingInTheMiddleOfStorEndsWithTheUploadFailed) {
  ASSERT_NO_FATAL_FAILURE(startServer("close-during-stor"));
  expectFailure(runQuillpost(), kUploadFailed, kConnectionAborted);
}

TEST_F(QuillpostFaults, ServerClosingAfterTheDataButBefore226EndsWithTheUploadFailed) {
  // Every byte went out, but only the server's 226 says that it stored them.
  ASSERT_NO_FATAL_FAILURE(startServer("close-after-stor-data"));
  expectFailure(runQuillpost(), kUploadFailed, kConnectionAborted);
}

TEST_F(QuillpostFaults, StorAnswered452EndsWithTheUploadFailedAndShowsTheReply) {
  ASSERT_NO_FATAL_FAILURE(startServer("stor-452"));
  const ProcessResult result = runQuillpost();
  expectFailure(result, kUploadFailed, 452);
  EXPECT_NE(result.err.find(" / 452 Insufficient storage space.\n"), std::string::npos);
}

TEST_F(QuillpostFaults, StorAnswered552MidTransferEndsWithTheUploadFailedAndShowsTheReply) {
  ASSERT_NO_FATAL_FAILURE(startServer("stor-552-mid"));
  const ProcessResult result = runQuillpost();
  expectFailure(result, kUploadFailed, 552);
  EXPECT_NE(result.err.find(" / 552 Exceeded storage allocation.\n"), std::string::npos);
  // The refusal ends the attempt: no second STOR that could pass for a success.
  const std::vector<std::string> commands = serverCommands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), std::string("STOR ") + kRemoteName), 1);
}

TEST_F(QuillpostFaults, ServerStallingPastTheReplyTimeoutEndsWithTheUploadFailed) {
  // The test copy waits 1 s for a reply; the server stays silent for as long as it is asked.
  ASSERT_NO_FATAL_FAILURE(startServer("stall"));
  expectFailure(runQuillpost(QP_QUILLPOST_SHORT_TIMEOUTS), kUploadFailed, kTimeout);
}

TEST_F(QuillpostFaults, ReplyLineOf100KiBEndsWithTheUploadFailed) {
  ASSERT_NO_FATAL_FAILURE(startServer("long-reply-line"));
  expectFailure(runQuillpost(), kUploadFailed, kConnectionAborted);
}

TEST_F(QuillpostFaults, PasvNamingAForeignAddressStillUploadsToTheControlPeer) {
  // The listener is on 127.0.0.1 only: the upload succeeds only through the control peer.
  ASSERT_NO_FATAL_FAILURE(startServer("pasv-foreign-address"));
  expectStored(runQuillpost());
  EXPECT_TRUE(contains(serverCommands(), "PASV"));
}

TEST_F(QuillpostFaults, EpsvRefusedWith500FallsBackToPasvForTheWholeSession) {
  ASSERT_NO_FATAL_FAILURE(startServer("epsv-500"));
  expectStored(runQuillpost());
  const std::vector<std::string> commands = serverCommands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "EPSV"), 1);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "PASV"), 4);  // three lists, one upload
}

}  // namespace
