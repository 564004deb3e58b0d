// The built Quillpost as a scheduler runs it: the upload under a temporary name renamed into
// place on the real servers, the fallbacks against scripted servers that refuse renames or
// hidden names or tell another size, --in-place, the retries (after transient failures only,
// within their time), --check, --print-certificate and --log.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "tests/support/common/Process.h"
#include "tests/uploader/QuillpostProgramFixture.h"

namespace uploadertest {
namespace {

constexpr char kTemporary[] = ".stored_csv.quillpost-upload";

long countStarting(const std::vector<std::string>& lines, const std::string& start) {
  return std::count_if(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

class ScheduledUpload : public QuillpostProgram {
 protected:
  // Settings that upload data.csv as "stored.csv" into the root of `on`, as `on`'s user.
  SettingsRecord settingsFor(const testsupport::FtpServer& on) const {
    return {U16(on.address()),           U16(on.user()), u"", u"/",
            U16(local.file("data.csv")), u"stored.csv"};
  }
  // Starts the scripted server playing `scenario` as `server`.
  SettingsRecord scripted(const std::string& scenario) {
    server = testsupport::StartScriptedFtpd(scenario);
    if (!server) ADD_FAILURE() << testsupport::LastStartFailure();
    return server ? settingsFor(*server) : SettingsRecord{};
  }
  testsupport::ProcessResult runWith(const SettingsRecord& settings,
                                     const std::vector<std::string>& arguments = {}) {
    WriteSettingsFile(folder.path(), settings, U16(server->password()));
    return run(arguments);
  }
  // Runs the test copy whose deadlines and waits between tries are short.
  void useShortDeadlines() {
    fs::copy_file(QP_QUILLPOST_SHORT_TIMEOUTS, program(), fs::copy_options::overwrite_existing);
  }
  std::string served(const std::string& name) const { return server->root() + "/" + name; }
};

// Each server of the suite: the previous file is replaced whole, nothing is left behind, and
// the record says how.
TEST_F(ScheduledUpload, OnEveryServerTheFileIsRenamedOverThePreviousOneAndNoTemporaryStays) {
  const std::vector<std::function<std::unique_ptr<testsupport::FtpServer>()>> servers = {
      [] { return testsupport::StartPyftpdlib(); }, [] { return testsupport::StartVsftpd(); },
      [] { return testsupport::StartProftpd(); }, [] { return testsupport::StartPureFtpd(); }};
  for (const auto& start : servers) {
    server = start();
    if (!server) {
      std::cerr << "skipped: " << testsupport::LastStartFailure() << "\n";
      continue;
    }
    SCOPED_TRACE(server->serverOutput().substr(0, 200));
    // In a folder below the login folder (servers differ in how they take "CWD /").
    fs::create_directory(served("up"));
    testsupport::WriteFile(served("up/stored.csv"), "the previous version\n");
    server->handRootToServer();
    SettingsRecord settings = settingsFor(*server);
    settings.InitialDir = u"up";
    const testsupport::ProcessResult result = runWith(settings);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(testsupport::ReadFile(served("up/stored.csv")), "1,2,3\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(served("up")), fs::directory_iterator()), 1)
        << "no temporary file stays";
    EXPECT_TRUE(std::regex_match(result.out, storedRecord("/up", "stored.csv"))) << result.out;
  }
}

struct Fallback {
  const char* scenario;
  int runs;             // how many times the program runs (the last one is checked)
  int status;           // its exit status
  const char* via;      // "via=... verified=..." of its record, "" when nothing was stored
  const char* shown;    // a line of its error box, "" for none
  const char* command;  // a command the server must have received, "" for none
};

// Names the row in test output.
void PrintTo(const Fallback& row, std::ostream* out) { *out << row.scenario; }

const Fallback kFallbacks[] = {
    // IIS refuses a rename over the existing file: the second run deletes it and renames.
    {"rnto-over-existing", 2, 0, "replace verified=size", "", "DELE stored.csv"},
    // No right to rename: straight to the remote name, and the temporary goes.
    {"rename-refused", 1, 0, "direct verified=size", "", "DELE .stored_csv.quillpost-upload"},
    // No hidden names: straight to the remote name.
    {"hidden-names-refused", 1, 0, "direct verified=size", "", "STOR stored.csv"},
    // No SIZE: no check, and the record says so.
    {"no-size", 1, 0, "rename verified=no", "", "RNTO stored.csv"},
    // Another size: the upload fails, the target is left alone and the temporary goes.
    {"size-differs", 1, 4, "", "12190 / ", "DELE .stored_csv.quillpost-upload"},
};

class Fallbacks : public ScheduledUpload, public testing::WithParamInterface<Fallback> {};

TEST_P(Fallbacks, TakeTheWayTheServerLeavesAndSayWhichInTheRecord) {
  const Fallback& row = GetParam();
  const SettingsRecord settings = scripted(row.scenario);
  ASSERT_TRUE(server);
  testsupport::ProcessResult result;
  for (int run = 0; run < row.runs; ++run) result = runWith(settings);
  EXPECT_EQ(result.exitCode, row.status) << result.err;
  const std::vector<std::string> commands = server->commands();
  if (*row.command) {
    EXPECT_NE(std::find(commands.begin(), commands.end(), row.command), commands.end());
  }
  EXPECT_FALSE(fs::exists(served(kTemporary)));
  if (*row.via) {
    EXPECT_TRUE(std::regex_match(result.out, storedRecord("/", "stored.csv", "", row.via)))
        << result.out;
    EXPECT_EQ(testsupport::ReadFile(served("stored.csv")), "1,2,3\r\n");
    EXPECT_EQ(result.err.find(" / 5"), std::string::npos) << "no box of a fallback: " << result.err;
  } else {
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(fs::exists(served("stored.csv")));
    EXPECT_NE(result.err.find("Quillpost: " + std::string(row.shown)), std::string::npos)
        << result.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, Fallbacks, testing::ValuesIn(kFallbacks),
                         [](const testing::TestParamInfo<Fallback>& info) {
                           std::string name = info.param.scenario;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

TEST_F(ScheduledUpload, InPlaceStoresStraightUnderTheRemoteName) {
  const SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  const testsupport::ProcessResult result = runWith(settings, {"--in-place"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const std::vector<std::string> commands = server->commands();
  EXPECT_EQ(countStarting(commands, "STOR "), 1);
  EXPECT_EQ(countStarting(commands, "STOR stored.csv"), 1);
  EXPECT_EQ(countStarting(commands, "RNFR"), 0);
  EXPECT_TRUE(
      std::regex_match(result.out, storedRecord("/", "stored.csv", "", "in-place verified=size")))
      << result.out;
}

// Turned away twice with 421: a third try stores the file; with one retry the run gives up
// with the last failure. A refused password is never tried again, and a 4xx to the upload is.
TEST_F(ScheduledUpload, RetriesFollowTransientFailuresOnlyAndStopWhenTheirTimeIsUp) {
  useShortDeadlines();
  SettingsRecord settings = scripted("busy-twice");
  ASSERT_TRUE(server);
  testsupport::ProcessResult result = runWith(settings, {"--retry", "2"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(std::regex_match(result.out, storedRecord("/", "stored.csv"))) << result.out;
  const std::string turnedAway = "Quillpost: 421 / 421 Service not available, try again later.";
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 7) << result.err;
  EXPECT_NE(result.err.find("秒後にもう一度試みます (3 回目 / 最大 3 回)"), std::string::npos)
      << result.err;
  const struct {
    const char* scenario;
    std::vector<std::string> arguments;
    int status;
    const char* counted;  // the command whose count tells the tries
    long tries;
  } cases[] = {{"busy-twice", {"--retry", "1"}, 3, "", 2},
               {"busy-twice", {"--retry=3", "--retry-max-time=0"}, 3, "", 1},
               {"login-refused", {"--retry", "3"}, 3, "USER", 1},
               {"stor-452", {"--retry", "1"}, 4, "STOR", 2},
               // A size that differs is no passing fault of the connection.
               {"size-differs", {"--retry", "2"}, 4, "STOR", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scenario);
    settings = scripted(c.scenario);
    ASSERT_TRUE(server);
    result = runWith(settings, c.arguments);
    EXPECT_EQ(result.exitCode, c.status) << result.err;
    EXPECT_EQ(result.out, "");
    if (*c.counted) {
      EXPECT_EQ(countStarting(server->commands(), c.counted), c.tries);
    } else {
      long seen = 0;
      for (size_t at = result.err.find(turnedAway); at != std::string::npos;
           at = result.err.find(turnedAway, at + 1)) {
        ++seen;
      }
      EXPECT_EQ(seen, c.tries) << result.err;
    }
  }
}

TEST_F(ScheduledUpload, CheckRunsEverythingButTheUploadAndTellsEachStep) {
  SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  testsupport::ProcessResult result = runWith(settings, {"--check"});
  EXPECT_EQ(result.exitCode, 0) << result.out;
  const std::string settingsFile = folder.file("Quillpst.dat");
  EXPECT_EQ(result.out, "settings: ok (" + settingsFile + ")\nlocal-file: ok (" +
                            local.file("data.csv") + ")\nconnection: ok (" + server->address() +
                            ")\nlogin-listing: ok\ndirectory: ok (/)\nlisting: ok (/)\n"
                            "check: passed, exit status 0; nothing was uploaded\n");
  EXPECT_EQ(countStarting(server->commands(), "STOR"), 0);
  // A missing folder: the run would go on after its box, so 5.
  settings.InitialDir = u"/missing";
  result = runWith(settings, {"--check"});
  EXPECT_EQ(result.exitCode, 5) << result.out;
  EXPECT_NE(result.out.find("\ndirectory: failed (/missing): 550 / "), std::string::npos)
      << result.out;
  // A wrong password: the run would stop there.
  WriteSettingsFile(folder.path(), settings, u"wrong");
  result = run({"--check"});
  EXPECT_EQ(result.exitCode, 3) << result.out;
  EXPECT_NE(result.out.find("\nconnection: failed (" + server->address() + "): 530 / "),
            std::string::npos)
      << result.out;
  EXPECT_EQ(result.out.find("login-listing"), std::string::npos) << result.out;
  EXPECT_EQ(countStarting(server->commands(), "STOR"), 0);
}

TEST_F(ScheduledUpload, PrintCertificateShowsTheServersOwnWithoutALogIn) {
  testsupport::PyftpdlibOptions options;
  options.tlsCertificate = testsupport::TestCertificate("server.pem");
  SettingsRecord settings = serverSettings(options, "ftpes://");
  ASSERT_NE(server, nullptr);
  testsupport::ProcessResult result = runWith(settings, {"--print-certificate"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const std::string expected =
      testsupport::RunProcess({"openssl", "x509", "-noout", "-fingerprint", "-sha256", "-in",
                               testsupport::TestCertificate("server.crt")})
          .out;
  EXPECT_NE(result.out.find("SHA-256 fingerprint: " + expected.substr(expected.find('=') + 1)),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("\nsubject: CN=server\nissuer: CN=Quillpost Test CA\n"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find(testsupport::ReadFile(testsupport::TestCertificate("server.crt"))),
            std::string::npos);
  EXPECT_EQ(server->commands(), std::vector<std::string>{"AUTH TLS"});
  // A plain FTP server has no certificate to show.
  settings.ServerName = U16(server->address());
  result = runWith(settings, {"--print-certificate"});
  EXPECT_EQ(result.exitCode, 64);
  EXPECT_NE(result.err.find("plain FTP"), std::string::npos) << result.err;
}

TEST_F(ScheduledUpload, TheLogHoldsEveryRecordForItsOwnerAndTurnsOverPastItsBound) {
  const SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  const std::string log = local.file("upload.log");
  testsupport::ProcessResult result = runWith(settings, {"--log", log});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(testsupport::ReadFile(log), result.out + result.err);
  struct stat info {};
  ASSERT_EQ(::stat(log.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  // Past 1 MiB the log moves to upload.log.1 and begins again.
  const std::string full(1 << 20, 'x');
  testsupport::WriteFile(log, full);
  result = runWith(settings, {"--log=" + log});
  EXPECT_EQ(testsupport::ReadFile(log + ".1"), full);
  EXPECT_EQ(testsupport::ReadFile(log), result.out + result.err);
  // A log that cannot be written is said once; the run goes on.
  result = runWith(settings, {"--log", local.file("missing/upload.log")});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2) << result.err;
  EXPECT_NE(result.err.find("cannot be written"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace uploadertest
