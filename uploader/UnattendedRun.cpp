#include "uploader/UnattendedRun.h"

#include <iostream>
#include <memory>
#include <string>

#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/files/Files.h"
#include "uploader/ErrorBoxWatch.h"
#include "uploader/StoredRecord.h"
#include "uploader/WindowCommands.h"

namespace {

// The window's controls as plain values: the three boxes and the passive switch in its checked
// design state. A refresh still lists the server (its failures are reported), but with no
// list box to fill its lines are dropped as they come.
class UnattendedControls : public WindowControls {
 public:
  std::u16string serverText() const override { return m_server; }
  std::u16string userText() const override { return m_user; }
  std::u16string passText() const override { return m_pass; }
  void setServerText(const std::u16string& text) override { m_server = text; }
  void setUserText(const std::u16string& text) override { m_user = text; }
  void setPassText(const std::u16string& text) override { m_pass = text; }
  bool passiveChecked() const override { return true; }
  void setOpenEnabled(bool) override {}
  void clearList() override {}
  void addListLine(const std::u16string&) override {}
  std::u16string selectedLine() const override { return {}; }

 private:
  std::u16string m_server;
  std::u16string m_user;
  std::u16string m_pass;
};

}  // namespace

ExitStatus RunUnattended(dialogs::Dialogs& dialogs, const StartUpEnvironment& environment,
                         inet::InternetApi* internetApi) {
  std::unique_ptr<McWinFTP> clsFtp = MakeSession(dialogs, internetApi);
  UnattendedControls controls;
  const ExitStatus status = RunStartUp(controls, *clsFtp, dialogs, environment);
  clsFtp.reset();  // closes the search, the connection and the root handle
  return status;
}

int RunUnattendedProgram(inet::InternetApi* internetApi) {
  dialogs::ConsoleDialogs console(std::cerr);
  ErrorBoxWatch boxes(console);
  const ExitStatus status =
      RunUnattended(boxes,
                    {files::ExecutableFolder(), SystemLocalTime,
                     [](const StoredUpload& stored) { WriteStoredRecord(std::cout, stored); }},
                    internetApi);
  return static_cast<int>(boxes.finalStatus(status));
}
