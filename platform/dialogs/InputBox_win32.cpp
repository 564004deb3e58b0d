// The modal one-line input box on the Win32 API: the prompt, an edit field holding the preset,
// OK and Cancel; Enter presses OK, Escape and the close control press Cancel.
#include "platform/dialogs/Win32Dialogs.h"
#include "platform/winui/WinUi.h"
#include "platform/winui/Window.h"

namespace dialogs {
namespace {

enum : int { kPromptId = 100, kEditId = 101 };

class InputWindow : public winui::Window {
 public:
  // Shows the box and runs until it is answered; the typed text, or nothing on Cancel.
  std::u16string ask(const std::u16string& prompt, const std::u16string& title,
                     const std::u16string& preset) {
    HWND owner = GetActiveWindow();
    if (!create(L"QuillInputBox", title, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 6060,
                1650)) {
      return {};
    }
    const int font = addFont(L"ＭＳ Ｐゴシック", 90);
    // The prompt wraps onto up to four lines beside the buttons.
    addControl(L"STATIC", prompt, SS_LEFT, 0, kPromptId, {180, 180, 4200, 900}, font);
    m_edit = addControl(L"EDIT", preset, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kEditId,
                        {180, 1140, 5700, 330}, font);
    addControl(L"BUTTON", u"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, IDOK, {4560, 180, 1320, 375},
               font);
    addControl(L"BUTTON", u"キャンセル", WS_TABSTOP, 0, IDCANCEL, {4560, 615, 1320, 375}, font);
    layOut();
    centreOnScreen();
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(hwnd(), SW_SHOW);
    SetFocus(m_edit);
    SendMessageW(m_edit, EM_SETSEL, 0, -1);
    runUntilAnswered();
    if (owner) {
      EnableWindow(owner, TRUE);
      SetActiveWindow(owner);
    }
    ShowWindow(hwnd(), SW_HIDE);
    return m_answer;
  }

 private:
  void runUntilAnswered() {
    MSG message{};
    while (!m_done && GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (IsDialogMessageW(hwnd(), &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (!m_done) PostQuitMessage(static_cast<int>(message.wParam));  // keep the quit for the caller
  }

  void onCommand(int id, int) override {
    if (id == IDOK) m_answer = winui::WindowText(m_edit);
    if (id == IDOK || id == IDCANCEL) m_done = true;
  }

  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CLOSE) {
      m_done = true;
      return 0;
    }
    return Window::handle(message, wParam, lParam);
  }

  HWND m_edit = nullptr;
  bool m_done = false;
  std::u16string m_answer;
};

}  // namespace

std::u16string Win32Dialogs::InputBox(const std::u16string& prompt, const std::u16string& title,
                                      const std::u16string& preset) {
  InputWindow box;
  return box.ask(prompt, title, preset);
}

}  // namespace dialogs
