// The modal one-line input box on the Win32 API: the prompt, an edit field holding the preset,
// OK and Cancel; Enter presses OK, Escape and the close control press Cancel.
#include "platform/dialogs/Win32Dialogs.h"
#include "platform/winui/WinUi.h"

namespace dialogs {
namespace {

enum : int { kPromptId = 100, kEditId = 101 };

class InputWindow : public winui::Window {
 public:
  // Shows the box and runs until it is answered; the typed text, or nothing on Cancel.
  std::u16string ask(const std::u16string& prompt, const std::u16string& title,
                     const std::u16string& preset) {
    HWND owner = GetActiveWindow();
    if (!create(L"QuillInputBox", title, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME)) {
      return {};
    }
    m_font = winui::MakeFont(L"ＭＳ Ｐゴシック", 90);
    winui::AddControl(hwnd(), L"STATIC", prompt, SS_LEFT, 0, kPromptId, 180, 180, 4200, 900,
                      m_font);
    m_edit = winui::AddControl(hwnd(), L"EDIT", preset, WS_TABSTOP | ES_AUTOHSCROLL,
                               WS_EX_CLIENTEDGE, kEditId, 180, 1140, 5700, 330, m_font);
    winui::AddControl(hwnd(), L"BUTTON", u"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, IDOK, 4560, 180,
                      1320, 375, m_font);
    winui::AddControl(hwnd(), L"BUTTON", u"キャンセル", WS_TABSTOP, 0, IDCANCEL, 4560, 615, 1320,
                      375, m_font);
    setClientSizeTwips(6060, 1650);
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
    DeleteObject(m_font);
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

  HFONT m_font = nullptr;
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
