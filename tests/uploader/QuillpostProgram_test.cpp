// The built Quillpost run headless (no DISPLAY, no WAYLAND_DISPLAY) from a copy in a temporary
// folder, with the settings file beside it: once for each exit status, with the one-line
// records of the boxes on standard error, the record of the stored file on standard output and
// the command line (status 4, a failed upload, is the fault matrix's); and the fault matrix, one
// run against the scripted misbehaving server per fault, each of which must end before its deadline
// with the exit status that names what failed, show the failure, claim no upload the server did not
// confirm and leave the local file as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <regex>

#include <unistd.h>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/Process.h"
#include "tests/support/common/TempDir.h"
#include "tests/uploader/QuillpostProgramFixture.h"

namespace uploadertest {
namespace {

// Over TLS: without "Quillpst.pem" the test CA is unknown, so no connection, the certificate
// named; with it beside the program the file is stored, the server shown as written.
TEST_F(QuillpostProgram, RefusedCertificateEndsWithThreeAndQuillpstPemLetsTheFileBeStored) {
  testsupport::PyftpdlibOptions options;
  options.tlsCertificate = testsupport::TestCertificate("server.pem");
  const SettingsRecord settings = serverSettings(options, "ftpes://");
  ASSERT_NE(server, nullptr);
  testsupport::ProcessResult result = run(settings);
  EXPECT_EQ(result.exitCode, 3) << result.err;
  EXPECT_TRUE(std::regex_match(
      result.err,
      std::regex(kStamp + "Quillpost: 12045 / [^\n]+ / SHA-256 [0-9A-F]{2}(:[0-9A-F]{2}){31}\n" +
                 kStamp + "Quillpost: 接続できませんでした\n")))
      << result.err;
  fs::copy_file(testsupport::TestCertificate("ca.crt"), folder.file("Quillpst.pem"));
  result = run(settings);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(testsupport::ReadFile(server->root() + "/stored.csv"), "1,2,3\r\n");
  EXPECT_TRUE(std::regex_match(result.out, storedRecord("/", "stored.csv", "ftpes://")))
      << result.out;
  const std::regex record(kStamp + "Quillpost: Quillpost ver1\\.0 / " + local.file("data.csv") +
                          " は / \\d{4}/\\d{2}/\\d{2}( \\d{1,2}:\\d{2}:\\d{2})? / ftpes://" +
                          server->address() + " / に送信されました\n");
  EXPECT_TRUE(std::regex_match(result.err, record)) << result.err;
}

TEST_F(QuillpostProgram, StoredAfterAnErrorBoxEndsWithFiveAndNamesWhereTheFileWent) {
  SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  // The directory change fails; the file goes to the login directory under the date name,
  // with no completion box: the records alone tell a scheduler what happened.
  settings.InitialDir = u"/missing";
  settings.RemoteFileName = u"NowDateMode";
  const testsupport::ProcessResult result = run(settings);
  EXPECT_EQ(result.exitCode, 5) << result.err;
  EXPECT_TRUE(std::regex_match(result.out, storedRecord("/", "\\d{12}"))) << result.out;
  EXPECT_TRUE(std::regex_match(result.err, std::regex(kStamp + "Quillpost: 550 / [^\n]+\n")))
      << result.err;
}

TEST_F(QuillpostProgram, MissingSettingsFileEndsWithOne) {
  const testsupport::ProcessResult result = run();
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(std::regex_match(
      result.err, std::regex(kStamp + "Quillpost: 設定ファイル Quillpst.dat が見つかりません / " +
                             folder.file("Quillpst.dat") + "\n")))
      << result.err;
}

// A DISPLAY left over in a scheduler's environment names an X server nobody serves: the run
// goes on without a window.
TEST_F(QuillpostProgram, MissingLocalFileEndsWithTwoAlsoWhenTheDisplayCannotBeReached) {
  WriteSettingsFile(folder.path(),
                    {u"127.0.0.1:1", u"u", u"", u"", U16(local.file("absent.csv")), u"x"}, u"p");
  testsupport::ProcessOptions unreachable = testsupport::Headless();
  unreachable.unsetEnv.push_back("QT_QPA_PLATFORM");
  unreachable.setEnv.emplace_back("DISPLAY", UnservedDisplay());
  const testsupport::ProcessResult result = run({}, unreachable);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(std::regex_match(
      result.err, std::regex(kStamp + "Quillpost: 指定したローカルファイルは存在しません\n")))
      << result.err;
}

// A local file that is there but that the user running the upload may not read (it lies in
// another user's folder, as a file under /root does for a cron job's user) is no missing file:
// the upload fails with the system's reason and the path.
TEST_F(QuillpostProgram, UnreadableLocalFileFailsTheUploadNamingItAndTheSystemsReason) {
  if (::geteuid() != 0) GTEST_SKIP() << "runs Quillpost as another user: needs root";
  SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  const std::string hidden = local.file("private");
  fs::create_directory(hidden);
  fs::permissions(hidden, fs::perms::owner_all);
  testsupport::WriteFile(hidden + "/data.csv", "1,2,3\r\n");
  settings.LocalFilePath = U16(hidden + "/data.csv");
  WriteSettingsFile(folder.path(), settings, U16(server->password()));
  // The program and its settings belong to the user "nobody", who runs it.
  constexpr uid_t kNobody = 65534;
  fs::permissions(folder.path(),
                  fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  ASSERT_EQ(::chown(folder.file("Quillpst.dat").c_str(), kNobody, kNobody), 0);
  const testsupport::ProcessResult result = testsupport::RunProcess(
      {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", program()},
      testsupport::Headless());
  EXPECT_EQ(result.exitCode, 4) << result.err;
  EXPECT_TRUE(
      std::regex_search(result.err, std::regex("Quillpost: 5 / [^\n]+\n" + kStamp +
                                               "Quillpost: ローカルファイルを読み込めません / " +
                                               hidden + "/data.csv / [^\n]*Permission denied")))
      << result.err;
  EXPECT_EQ(result.out, "");
}

TEST_F(QuillpostProgram,
       HelpAndVersionPrintAndAnyOtherArgumentEndsWithSixtyFourAllUploadingNothing) {
  const SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  WriteSettingsFile(folder.path(), settings, U16(server->password()));
  const std::string usage =
      " [--in-place] [--retry N] [--retry-max-time S] [--log FILE] [--check | "
      "--print-certificate | --print-host-key] | --help | --version\n";
  testsupport::ProcessResult result = run({"--help"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out.rfind("usage: Quillpost" + usage, 0), 0u) << result.out;
  EXPECT_NE(result.out.find(folder.file("Quillpst.dat")), std::string::npos) << result.out;
  result = run({"--version"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "Quillpost 1.0\n");
  const std::pair<std::vector<std::string>, std::string> refusals[] = {
      {{"upload.csv"}, "unknown argument \"upload.csv\""},
      {{"--help", "--version"}, "\"--help\" must be given alone"},
      {{"--in-place=yes"}, "unknown argument \"--in-place=yes\""},
      {{"--retry", "11"}, "bad value \"11\" for \"--retry\""},
      {{"--retry=-1"}, "bad value \"-1\" for \"--retry\""},
      {{"--retry-max-time", "10s"}, "bad value \"10s\" for \"--retry-max-time\""},
      {{"--log"}, "\"--log\" needs a value"},
      {{"--retry", "1", "--retry=2"}, "\"--retry\" given twice"},
      {{"--check", "--print-certificate"},
       "\"--check\", \"--print-certificate\" and \"--print-host-key\" exclude each other"},
      {{"--print-host-key", "--print-certificate"},
       "\"--check\", \"--print-certificate\" and \"--print-host-key\" exclude each other"}};
  for (const auto& [arguments, why] : refusals) {
    result = run(arguments);
    EXPECT_EQ(result.exitCode, 64);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "Quillpost: " + why + "; usage: Quillpost" + usage);
  }
  // Started through a link named as the installed command, it names itself so.
  fs::create_symlink(program(), folder.file("quillpost"));
  result = testsupport::RunProcess({folder.file("quillpost"), "--help"}, testsupport::Headless());
  EXPECT_EQ(result.out.rfind("usage: quillpost" + usage, 0), 0u) << result.out;
  EXPECT_TRUE(server->commands().empty());
  EXPECT_FALSE(fs::exists(server->root() + "/stored.csv"));
}

struct Row {
  const char* scenario;
  bool shortTimeouts;  // run the test copy that waits 1 s for a reply or a moving transfer
  int status;          // the exit status
  int box;             // the error number of the box shown, 0 for a stored file
  long stors;          // how many times the server receives a STOR
  const char* shown;   // a line the box shows besides its number, or ""
};

long CountStarting(const std::vector<std::string>& lines, const std::string& start) {
  return std::count_if(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

// Names the row in test output.
void PrintTo(const Row& row, std::ostream* out) { *out << row.scenario; }

constexpr int kAborted = 12030, kTimeout = 12002;
const Row kRows[] = {
    {"close-before-greeting", false, 3, kAborted, 0, ""},
    {"close-after-pass", false, 3, kAborted, 0, ""},
    {"greeting-120-forever", true, 3, kTimeout, 0, ""},
    {"stall", true, 4, kTimeout, 0, ""},
    {"long-reply-line", false, 4, kAborted, 0, ""},
    {"close-during-list", false, 4, kAborted, 0, ""},
    // A data connection that moves less than 1 KiB in its window fails as a stalled one.
    {"trickle-listing", true, 4, kTimeout, 0, ""},
    {"close-during-stor", false, 4, kAborted, 1, ""},
    // Every byte went out, but only the server's 226 says that it stored them.
    {"close-after-stor-data", false, 4, kAborted, 1, ""},
    {"trickle-after-stor", true, 4, kTimeout, 1, ""},
    {"stor-2xx-at-once", true, 4, 12152, 1, ""},  // an invalid server response
    {"stor-452", false, 4, 452, 1, "452 Insufficient storage space."},
    // The refusal ends the attempt: no second STOR that could pass for a success.
    {"stor-552-mid", false, 4, 552, 1, "552 Exceeded storage allocation."},
    // EPSV refused or unreadable, or PASV naming another host: PASV for the rest of the session,
    // to the control connection's peer (the scripted listener is on 127.0.0.1 only).
    {"epsv-500", false, 0, 0, 1, ""},
    {"epsv-229-unparsable", true, 0, 0, 1, ""},
    {"pasv-foreign-address", false, 0, 0, 1, ""},
};

class QuillpostFaults : public QuillpostProgram, public testing::WithParamInterface<Row> {
 protected:
  // A megabyte of fixed pseudo-random bytes: large enough to be cut off mid-transfer.
  void SetUp() override {
    QuillpostProgram::SetUp();
    std::mt19937 random(20261207);
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    testsupport::WriteFile(local.file("upload.bin"), bytes);
  }
  // Whatever the run did, the file it uploads is as it was.
  void TearDown() override {
    EXPECT_TRUE(testsupport::ReadFile(local.file("upload.bin")) == bytes);
  }

  std::string bytes = std::string(1 << 20, '\0');
};

TEST_P(QuillpostFaults, EndsInTimeWithItsStatusAndClaimsOnlyWhatWasStored) {
  const Row& row = GetParam();
  server = testsupport::StartScriptedFtpd(row.scenario);
  ASSERT_TRUE(server) << testsupport::LastStartFailure();
  if (row.shortTimeouts) {
    fs::copy_file(QP_QUILLPOST_SHORT_TIMEOUTS, program(), fs::copy_options::overwrite_existing);
  }
  WriteSettingsFile(folder.path(),
                    {U16(server->address()), u"tester", u"", u"incoming",
                     U16(local.file("upload.bin")), u"stored.bin"},
                    u"secret");
  testsupport::ProcessOptions options = testsupport::Headless();
  options.timeout = std::chrono::seconds(8);
  const testsupport::ProcessResult result = run({}, options);
  EXPECT_EQ(result.exitCode, row.status) << result.err;
  const std::vector<std::string> commands = server->commands();
  EXPECT_EQ(CountStarting(commands, "STOR "), row.stors);
  // Under its temporary name, hidden and without the target's extension.
  EXPECT_EQ(CountStarting(commands, "STOR .stored_bin.quillpost-upload"), row.stors);
  const std::string stored = server->root() + "/stored.bin";
  EXPECT_FALSE(fs::exists(server->root() + "/.stored_bin.quillpost-upload"));
  if (row.status == 0) {
    // The completion message as the only record, and the stored record on standard output.
    EXPECT_TRUE(std::regex_match(
        result.err, std::regex(kStamp + "Quillpost: Quillpost ver1\\.0 / [^\n]+ / ftp://" +
                               server->address() + " / に送信されました\n")))
        << result.err;
    EXPECT_NE(result.out.find(" Quillpost: stored server=" + server->address() + " "),
              std::string::npos)
        << result.out;
    EXPECT_TRUE(testsupport::ReadFile(stored) == bytes);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "EPSV"), 1);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "PASV"), 4);  // 3 listings, 1 upload
    return;
  }
  // The box's one-line record: the number, its text; a failed connection says so after it.
  const std::regex box(" Quillpost: " + std::to_string(row.box) + " / [^\n]+\n" +
                       (row.status == 3 ? "[^\n]* Quillpost: 接続できませんでした\n" : ""));
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
}  // namespace uploadertest
