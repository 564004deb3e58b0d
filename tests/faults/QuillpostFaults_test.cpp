// The fault matrix: the built Quillpost, a copy beside its settings file in a temporary folder,
// run headless against the scripted misbehaving server, one scenario each. Every run must end
// before its deadline with the exit status that names what failed, show the failure on
// standard error, claim no upload that the server did not confirm, and leave the local file
// as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <regex>

#include "tests/support/common/FtpServers.h"
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
constexpr int kInvalidServerResponse = 12152;

struct Row {
  const char* scenario;
  bool shortTimeouts;  // run the test copy that waits 1 s for a reply or a moving transfer
  int status;          // the exit status
  int box;             // the error number of the box shown, 0 for a stored file
  long stors;          // how many times the server receives "STOR stored.bin"
  const char* shown;   // a line the box shows besides its number, or ""
};

// Names the row in test output.
void PrintTo(const Row& row, std::ostream* out) { *out << row.scenario; }

const Row kRows[] = {
    {"close-before-greeting", false, kNotConnected, kConnectionAborted, 0, ""},
    {"close-after-pass", false, kNotConnected, kConnectionAborted, 0, ""},
    {"greeting-120-forever", true, kNotConnected, kTimeout, 0, ""},
    {"stall", true, kUploadFailed, kTimeout, 0, ""},
    {"long-reply-line", false, kUploadFailed, kConnectionAborted, 0, ""},
    {"close-during-list", false, kUploadFailed, kConnectionAborted, 0, ""},
    // A data connection that moves less than 1 KiB in its window fails as a stalled one.
    {"trickle-listing", true, kUploadFailed, kTimeout, 0, ""},
    {"close-during-stor", false, kUploadFailed, kConnectionAborted, 1, ""},
    // Every byte went out, but only the server's 226 says that it stored them.
    {"close-after-stor-data", false, kUploadFailed, kConnectionAborted, 1, ""},
    {"trickle-after-stor", true, kUploadFailed, kTimeout, 1, ""},
    {"stor-2xx-at-once", true, kUploadFailed, kInvalidServerResponse, 1, ""},
    {"stor-452", false, kUploadFailed, 452, 1, "452 Insufficient storage space."},
    // The refusal ends the attempt: no second STOR that could pass for a success.
    {"stor-552-mid", false, kUploadFailed, 552, 1, "552 Exceeded storage allocation."},
    // EPSV refused or unreadable, or PASV naming another host: PASV for the rest of the session,
    // to the control connection's peer (the scripted listener is on 127.0.0.1 only).
    {"epsv-500", false, kDone, 0, 1, ""},
    {"epsv-229-unparsable", true, kDone, 0, 1, ""},
    {"pasv-foreign-address", false, kDone, 0, 1, ""},
};

// A megabyte of fixed pseudo-random bytes: large enough to be cut off mid-transfer.
std::string sampleBytes() {
  std::mt19937 random(20261207);
  std::string bytes(1 << 20, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string sha256(const std::string& path) {
  return testsupport::RunProcess({"sha256sum", path}).out.substr(0, 64);
}

long count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<long>(std::count(lines.begin(), lines.end(), line));
}

class QuillpostFaults : public testing::TestWithParam<Row> {
 protected:
  void SetUp() override {
    testsupport::WriteFile(localFile(), sampleBytes());
    m_localSha256 = sha256(localFile());
  }

  // Whatever the run did, the file it uploads is as it was.
  void TearDown() override { EXPECT_EQ(sha256(localFile()), m_localSha256); }

  std::string localFile() const { return m_local.file("upload.bin"); }

  // Runs `program` (copied beside its settings file) headless: upload.bin to the server's
  // folder "incoming" as stored.bin.
  ProcessResult runQuillpost(const std::string& address, const std::string& program) {
    const std::string copy = m_folder.file("Quillpost");
    fs::copy_file(program, copy, fs::copy_options::overwrite_existing);
    uploadertest::WriteSettingsFile(m_folder.path(),
                                    {uploadertest::U16(address), u"tester", u"", u"incoming",
                                     uploadertest::U16(localFile()), u"stored.bin"},
                                    u"secret");
    testsupport::ProcessOptions options = testsupport::Headless();
    options.timeout = std::chrono::seconds(8);
    ProcessResult result = testsupport::RunProcess({copy}, options);
    EXPECT_FALSE(result.timedOut) << "still running after 8 s";
    return result;
  }

  testsupport::TempDir m_folder;  // the program and its settings file
  testsupport::TempDir m_local;   // the file to upload
  std::string m_localSha256;
};

TEST_P(QuillpostFaults, EndsInTimeWithItsStatusAndClaimsOnlyWhatWasStored) {
  const Row& row = GetParam();
  const auto server = testsupport::StartScriptedFtpd(row.scenario);
  ASSERT_TRUE(server) << testsupport::LastStartFailure();
  const ProcessResult result = runQuillpost(
      server->address(), row.shortTimeouts ? QP_QUILLPOST_SHORT_TIMEOUTS : QP_QUILLPOST);
  EXPECT_EQ(result.exitCode, row.status) << result.err;
  const std::vector<std::string> commands = server->commands();
  EXPECT_EQ(count(commands, "STOR stored.bin"), row.stors);
  const std::string stored = server->root() + "/stored.bin";
  const std::string claim = " / ftp://" + server->address() + " / に送信されました\n";
  if (row.status == kDone) {
    // The completion message as the only record, and the stored record on standard output.
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_NE(result.err.find(" Quillpost: Quillpost ver1.0 / "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(claim), std::string::npos) << result.err;
    EXPECT_NE(result.out.find(" Quillpost: stored server=" + server->address() + " "),
              std::string::npos)
        << result.out;
    EXPECT_EQ(sha256(stored), m_localSha256);
    EXPECT_EQ(count(commands, "EPSV"), 1);
    EXPECT_EQ(count(commands, "PASV"), 4);  // three listings, one upload
    return;
  }
  // The box's one-line record: the number, its text; a failed connection says so after it.
  const std::regex box(
      " Quillpost: " + std::to_string(row.box) + " / [^\n]+\n" +
      (row.status == kNotConnected ? "[^\n]* Quillpost: 接続できませんでした\n" : ""));
  EXPECT_TRUE(std::regex_search(result.err, box)) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.find("に送信されました"), std::string::npos) << result.err;
  if (*row.shown != '\0') {
    EXPECT_NE(result.err.find(" / " + std::string(row.shown) + "\n"), std::string::npos)
        << result.err;
  }
  EXPECT_FALSE(fs::exists(stored));
}

INSTANTIATE_TEST_SUITE_P(Matrix, QuillpostFaults, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) {
                           std::string name = info.param.scenario;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
