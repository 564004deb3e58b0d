// The uploader's window on the Win32 API: the same controls at the same twips as the Qt window,
// wired to the same window-free handlers (WindowCommands). Form_Load runs the one-shot upload
// and destroys the window before it is ever shown.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ftp/McWinFTP.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/inet/InternetApi.h"
#include "platform/winui/WinUi.h"
#include "platform/winui/Window.h"
#include "uploader/Clock.h"
#include "uploader/StartUp.h"
#include "uploader/WindowCommands.h"
#include "uploader/win32/FileListBox.h"

class fFTPTest : public winui::Window, private WindowControls {
 public:
  // What Form_Load runs on the window's controls and clsFtp: the program's start-up, with its
  // options and retries.
  using StartUpRunner = std::function<ExitStatus(WindowControls&, McWinFTP&)>;

  // Creates the window, not shown, and its session object. Boxes go to `dialogs`, which must
  // outlive the window; Form_Load runs `startUp`.
  fFTPTest(dialogs::Dialogs& dialogs, StartUpRunner startUp);
  ~fFTPTest() override;

  // The start-up: sets the list's tab stops, gives clsFtp a new session object, runs the
  // one-shot upload and destroys the window on every path. Returns how it ended.
  ExitStatus Form_Load();
  // Releases clsFtp (closing its search, connection and root handle).
  void Form_Unload();

  // A test hook: `watch` is handed lstFiles at the end of Form_Load, before the window is
  // unloaded, with the lines the start-up left in it.
  void setBeforeUnload(std::function<void(HWND lstFiles)> watch) {
    m_beforeUnload = std::move(watch);
  }

  // Fills the window with sample values and lines and shows it (for pictures of it).
  void showSample(const std::vector<std::u16string>& lines);

  // The tab stops of the list, in dialog units.
  static constexpr int kTabStops[3] = {100, 100, 100};

 private:
  enum ControlId : int {
    kLabel1 = 200,  // + index
    txtServerId = 210,
    chkPassiveId,
    txtUserId,
    txtPassId,
    cmdOpenId,
    cmdCloseId,
    lstFilesId,
    cmdDelId,
    cmdRenameId,
    cmdPutId,
    cmdGetId,
    cmdMakeDirId,
  };

  void createControls();
  void onLaidOut() override;  // lstFiles' lines as high as its font's
  WindowParts parts() { return {*this, m_clsFtp.get(), m_dialogs}; }
  void onCommand(int id, int code) override;
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

  // WindowControls
  std::u16string serverText() const override { return winui::WindowText(m_txtServer); }
  std::u16string userText() const override { return winui::WindowText(m_txtUser); }
  std::u16string passText() const override { return winui::WindowText(m_txtPass); }
  void setServerText(const std::u16string& text) override { winui::SetText(m_txtServer, text); }
  void setUserText(const std::u16string& text) override { winui::SetText(m_txtUser, text); }
  void setPassText(const std::u16string& text) override { winui::SetText(m_txtPass, text); }
  bool passiveChecked() const override;
  void setOpenEnabled(bool enabled) override { EnableWindow(m_cmdOpen, enabled); }
  void clearList() override { m_list.clear(); }
  void addListLine(const std::u16string& line) override { m_list.append(line); }
  std::u16string selectedLine() const override { return m_list.selected(); }

  dialogs::Dialogs& m_dialogs;
  StartUpRunner m_startUp;
  std::function<void(HWND)> m_beforeUnload;
  std::unique_ptr<McWinFTP> m_clsFtp;
  int m_formFont = -1;  // font numbers of the window
  int m_listFont = -1;
  HWND m_txtServer = nullptr;
  HWND m_chkPassive = nullptr;
  HWND m_txtUser = nullptr;
  HWND m_txtPass = nullptr;
  HWND m_cmdOpen = nullptr;
  HWND m_lstFiles = nullptr;
  FileListBox m_list;  // lstFiles' lines
};
