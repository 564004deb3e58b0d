#include "uploader/CheckRun.h"

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/codepage/CodePage.h"
#include "platform/dialogs/BoxText.h"
#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/inet/CertificateProbe.h"
#include "platform/inet/HostKeyReport.h"
#include "settings/ReadSettingsFile.h"
#include "uploader/ErrorBoxWatch.h"
#include "uploader/UnattendedControls.h"
#include "uploader/WindowCommands.h"

namespace {

const char* stepName(StartUpStep step) {
  switch (step) {
    case StartUpStep::Settings:
      return "settings";
    case StartUpStep::LocalFile:
      return "local-file";
    case StartUpStep::Connection:
      return "connection";
    case StartUpStep::LoginListing:
      return "login-listing";
    case StartUpStep::Directory:
      return "directory";
    case StartUpStep::Listing:
      return "listing";
  }
  return "";
}

// The boxes of a check are not shown: their texts go into the line of the step they came in.
class StepBoxes : public dialogs::Dialogs {
 public:
  dialogs::BoxAnswer MessageBox(const std::u16string& text, const std::u16string&,
                                dialogs::Buttons buttons, dialogs::Icon) override {
    m_texts.push_back(dialogs::OneLine(text));
    return dialogs::defaultAnswer(buttons);
  }
  std::u16string InputBox(const std::u16string& prompt, const std::u16string&,
                          const std::u16string& preset) override {
    m_texts.push_back(dialogs::OneLine(prompt));
    return preset;
  }
  // What came since the last call, joined by " / ".
  std::string take() {
    std::string joined;
    for (const std::string& text : m_texts) joined += (joined.empty() ? "" : " / ") + text;
    m_texts.clear();
    return joined;
  }

 private:
  std::vector<std::string> m_texts;
};

}  // namespace

int RunCheck(const StartUpEnvironment& base, std::ostream& out, inet::InternetApi* internetApi) {
  StepBoxes texts;
  ErrorBoxWatch boxes(texts);
  StartUpEnvironment environment = base;
  environment.checkOnly = true;
  bool failed = false;
  environment.onStep = [&](StartUpStep step, bool ok, const std::u16string& subject) {
    const std::string told = texts.take();
    out << stepName(step) << ": " << (ok ? "ok" : "failed");
    if (!subject.empty()) out << " (" << dialogs::OneLine(subject) << ")";
    if (!told.empty()) out << ": " << told;
    out << std::endl;
    failed = failed || !ok;
  };
  ExitStatus status = ExitStatus::Done;
  {
    const std::unique_ptr<McWinFTP> clsFtp = MakeSession(boxes, internetApi);
    UnattendedControls controls;
    status = boxes.finalStatus(RunStartUp(controls, *clsFtp, boxes, environment));
  }
  out << "check: " << (failed ? "failed" : "passed") << ", exit status " << static_cast<int>(status)
      << "; nothing was uploaded" << std::endl;
  return static_cast<int>(status);
}

namespace {

// The server of the settings in `settingsFolder`, or nullopt after telling `err` why not.
std::optional<std::u16string> settingsServer(const std::u16string& settingsFolder,
                                             std::ostream& err, const std::string& programName) {
  const ReadSettingsResult read = ReadSettingsFile(settingsFolder);
  if (read.status == ReadStatus::Read) return read.record.ServerName;
  err << programName << ": the settings file " << dialogs::OneLine(settingsFolder) << "/"
      << dialogs::OneLine(kSettingsFileName) << " cannot be read" << std::endl;
  return std::nullopt;
}

}  // namespace

int PrintServerHostKeys(const std::u16string& settingsFolder, std::ostream& out, std::ostream& err,
                        const std::string& programName) {
  const auto server = settingsServer(settingsFolder, err, programName);
  if (!server) return static_cast<int>(ExitStatus::SettingsProblem);
  std::ostringstream keys;
  const uint32_t error =
      inet::WriteServerHostKeys(codepage::ToAnsi(*server), inet::EngineOptions{}, keys);
  if (error == inet::kErrorInvalidParameter) {
    err << programName << ": --print-host-key: the server " << dialogs::OneLine(*server)
        << " is no SSH server; write sftp:// before its name" << std::endl;
    return 64;
  }
  if (error != inet::kErrorSuccess) {
    err << programName << ": no host key from " << dialogs::OneLine(*server) << ": " << error
        << " / " << dialogs::OneLine(std::u16string(inet::ErrorMessage(error))) << std::endl;
    return static_cast<int>(ExitStatus::NotConnected);
  }
  out << keys.str() << std::flush;
  return 0;
}

int PrintServerCertificate(const std::u16string& settingsFolder, std::ostream& out,
                           std::ostream& err, const std::string& programName) {
  const auto read = settingsServer(settingsFolder, err, programName);
  if (!read) return static_cast<int>(ExitStatus::SettingsProblem);
  const std::u16string& server = *read;
  const inet::CertificateProbeResult probe =
      inet::ProbeServerCertificate(codepage::ToAnsi(server), 21, inet::EngineOptions{});
  if (probe.error == inet::kErrorInvalidParameter) {
    err << programName << ": --print-certificate: the server " << dialogs::OneLine(server)
        << " is reached in plain FTP, which has no certificate; write ftpes:// or ftps:// "
           "before its name"
        << std::endl;
    return 64;
  }
  if (probe.error != inet::kErrorSuccess) {
    const std::u16string reason = probe.text.empty()
                                      ? std::u16string(inet::ErrorMessage(probe.error))
                                      : codepage::FromAnsi(probe.text);
    err << programName << ": no certificate from " << dialogs::OneLine(server) << ": "
        << probe.error << " / " << dialogs::OneLine(reason) << std::endl;
    return static_cast<int>(ExitStatus::NotConnected);
  }
  const inet::CertificateDescription& c = probe.certificate;
  out << "server: " << dialogs::OneLine(server) << "\nsubject: " << c.subject
      << "\nissuer: " << c.issuer << "\nvalid from: " << c.notBefore
      << "\nvalid until: " << c.notAfter << "\nSHA-256 fingerprint: " << c.sha256 << "\n"
      << c.pem << std::flush;
  return 0;
}
