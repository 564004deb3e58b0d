// The uploader's window: a small FTP client (server, user and password boxes, passive switch,
// connect and disconnect, the remote file list, five file commands) over one session object,
// clsFtp. Form_Load runs the one-shot upload and closes the window before it is ever shown;
// every FTPFrr event of clsFtp is shown as a critical box.
#pragma once

#include <QWidget>

#include <array>
#include <memory>
#include <string>

#include "ftp/McWinFTP.h"
#include "platform/dialogs/Dialogs.h"
#include "uploader/Clock.h"
#include "uploader/StartUp.h"
#include "uploader/WindowCommands.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class ListLinesModel;
class QPushButton;
class TabStopDelegate;

struct fFTPTestOptions {
  // Where Form_Load reads Quillpst.dat; empty: the folder of the executable.
  std::u16string settingsFolder;
  // The local date and time; empty: the system clock.
  Clock clock;
  // The internet API clsFtp uses, which must outlive the window; null: the real engine.
  inet::InternetApi* internetApi = nullptr;
  // Told what Form_Load stored, when set.
  std::function<void(const StoredUpload&)> onStored = {};
  // What Form_Load runs on the window's controls and clsFtp, when set (the program's run, with
  // its options and retries); else the start-up with the values above.
  std::function<ExitStatus(WindowControls&, McWinFTP&)> startUp = {};
};

class fFTPTest : public QWidget {
  Q_OBJECT

 public:
  // A top-level window, not shown. Every box it asks goes to `dialogs`, which must outlive it.
  // clsFtp exists from here on, so the commands work also without Form_Load.
  explicit fFTPTest(dialogs::Dialogs& dialogs, fFTPTestOptions options = {});
  ~fFTPTest() override;
  fFTPTest(const fFTPTest&) = delete;
  fFTPTest& operator=(const fFTPTest&) = delete;

  // The start-up: sets the list's tab stops, gives clsFtp a new session object, runs the
  // one-shot upload and closes the window on every path. Returns how it ended.
  ExitStatus Form_Load();
  // Releases clsFtp (closing its search, connection and root handle); runs when the window
  // closes, and again harmlessly.
  void Form_Unload();
  void lstFiles_DblClick();
  void cmdOpen_Click();
  void cmdClose_Click();
  void cmdDel_Click();
  void cmdGet_Click();
  void cmdPut_Click();
  void cmdRename_Click();
  void cmdMakeDir_Click();

  // The session object; null after Form_Unload.
  McWinFTP* clsFtp() const { return m_clsFtp.get(); }

  // The controls, by their names.
  QLabel* Label1(int index) const { return m_Label1.at(index); }
  QLineEdit* txtServer() const { return m_txtServer; }
  QCheckBox* chkPassive() const { return m_chkPassive; }
  QLineEdit* txtUser() const { return m_txtUser; }
  QLineEdit* txtPass() const { return m_txtPass; }
  QPushButton* cmdOpen() const { return m_cmdOpen; }
  QPushButton* cmdClose() const { return m_cmdClose; }
  QListView* lstFiles() const { return m_lstFiles; }
  ListLinesModel* lstFilesLines() const { return m_lstFilesLines; }
  QPushButton* cmdDel() const { return m_cmdDel; }
  QPushButton* cmdRename() const { return m_cmdRename; }
  QPushButton* cmdPut() const { return m_cmdPut; }
  QPushButton* cmdGet() const { return m_cmdGet; }
  QPushButton* cmdMakeDir() const { return m_cmdMakeDir; }
  QFrame* Picture1() const { return m_Picture1; }
  TabStopDelegate* lstFilesTabStops() const { return m_tabStops; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  class Controls;  // the window as the start-up and the handlers see it

  void createControls();
  void placeControls();  // at the twips of the layout table
  void connectHandlers();
  void newSession();
  WindowParts parts();
  // Rebuilds lstFiles from clsFtp's current directory.
  void RefreshFileList();

  dialogs::Dialogs& m_dialogs;
  fFTPTestOptions m_options;
  std::unique_ptr<WindowControls> m_controls;
  std::unique_ptr<McWinFTP> m_clsFtp;

  std::array<QLabel*, 3> m_Label1 = {};
  QLineEdit* m_txtServer = nullptr;
  QCheckBox* m_chkPassive = nullptr;
  QLineEdit* m_txtUser = nullptr;
  QLineEdit* m_txtPass = nullptr;
  QPushButton* m_cmdOpen = nullptr;
  QPushButton* m_cmdClose = nullptr;
  QListView* m_lstFiles = nullptr;
  ListLinesModel* m_lstFilesLines = nullptr;
  QPushButton* m_cmdDel = nullptr;
  QPushButton* m_cmdRename = nullptr;
  QPushButton* m_cmdPut = nullptr;
  QPushButton* m_cmdGet = nullptr;
  QPushButton* m_cmdMakeDir = nullptr;
  QFrame* m_Picture1 = nullptr;
  TabStopDelegate* m_tabStops = nullptr;
};
