#include "uploader/UnattendedRun.h"

#include <memory>
#include <string>
#include <vector>

#include "uploader/FileListLines.h"
#include "uploader/UploadNaming.h"

namespace {

// The window's controls as plain values: the three boxes, the passive switch in its checked
// design state, and the list lines that a refresh rebuilds from the server.
class UnattendedControls : public StartUpControls {
 public:
  explicit UnattendedControls(McWinFTP& clsFtp) : m_clsFtp(clsFtp) {}
  void setServerText(const std::u16string& text) override { m_server = text; }
  void setUserText(const std::u16string& text) override { m_user = text; }
  void setPassText(const std::u16string& text) override { m_pass = text; }
  std::u16string serverText() const override { return m_server; }
  std::u16string userText() const override { return m_user; }
  std::u16string passText() const override { return m_pass; }
  bool passiveChecked() const override { return true; }
  void refreshFileList() override { m_lines = FileListLines(m_clsFtp); }
  void disableOpen() override {}

 private:
  McWinFTP& m_clsFtp;
  std::u16string m_server;
  std::u16string m_user;
  std::u16string m_pass;
  std::vector<std::u16string> m_lines;
};

}  // namespace

ExitStatus RunUnattended(dialogs::Dialogs& dialogs, const StartUpEnvironment& environment,
                         inet::InternetApi* internetApi) {
  auto clsFtp =
      internetApi ? std::make_unique<McWinFTP>(*internetApi) : std::make_unique<McWinFTP>();
  clsFtp->OnFTPFrr([&dialogs](int32_t ErrNumber, const std::u16string& ErrString) {
    dialogs.MessageBox(FTPFrrMessage(ErrNumber, ErrString), kAppTitle, dialogs::Buttons::Ok,
                       dialogs::Icon::Critical);
  });
  UnattendedControls controls(*clsFtp);
  const ExitStatus status = RunStartUp(controls, *clsFtp, dialogs, environment);
  clsFtp.reset();  // closes the search, the connection and the root handle
  return status;
}
