// The settings maker's windows on the Win32 API: the editor Form1 and the stored-password
// recovery dialog Form2, at the twips of their layouts, wired to the same window-free commands
// as the Qt forms (EditorCommands, PasswordRecovery).
#pragma once

#include <memory>
#include <string>

#include "platform/dialogs/Dialogs.h"
#include "platform/winui/WinUi.h"
#include "platform/winui/Window.h"
#include "settingsmaker/EditorCommands.h"

class Form1;

class Form2 : public winui::Window {
 public:
  // Not shown, centred on the screen; `form1` receives a recovered password and must outlive
  // this window.
  Form2(dialogs::Dialogs& dialogs, std::u16string programFolder, Form1& form1);
  void Command1_Click();

 private:
  enum : int { Label1Id = 300, Text1Id, Command1Id };
  void onCommand(int id, int code) override;
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

  dialogs::Dialogs& m_dialogs;
  std::u16string m_programFolder;
  Form1& m_form1;
  HWND m_Text1 = nullptr;
};

class Form1 : public winui::Window, public EditorBoxes {
 public:
  // Not shown, centred on the screen. Boxes go to `dialogs`, which must outlive the window;
  // the load button and Form2 read the settings file from `programFolder`. Closing the window
  // hides it; the message loop ends once it and Form2 are both closed.
  Form1(dialogs::Dialogs& dialogs, std::u16string programFolder);
  ~Form1() override;

  // Shows the one Form2, modeless; when it is open already, only brings it to the front.
  void Label3_DblClick();
  Form2* form2() const { return m_form2.get(); }
  // Posted by a Form2 that closes: Form1 then deletes it.
  static constexpr UINT kForm2ClosedMessage = WM_APP + 1;

  std::u16string text(Box box) const override;
  void setText(Box box, const std::u16string& text) override;

 private:
  enum : int {
    Text1Id = 100,     // Text1..Text6: 100..105
    Label1Id = 110,    // Label1..Label6: 110..115
    Command1Id = 120,  // Command1..Command5: 120..124
  };
  void createControls();
  void quitWhenAllClosed();
  void onCommand(int id, int code) override;
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

  dialogs::Dialogs& m_dialogs;
  std::u16string m_programFolder;
  int m_font = -1;
  HWND m_text[6] = {};
  std::unique_ptr<Form2> m_form2;
  bool m_closed = false;  // the user closed Form1
};
