#include "platform/dialogs/Win32Dialogs.h"

#include "platform/winui/WinUi.h"

namespace dialogs {
namespace {

UINT buttonFlags(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
      return MB_OK;
    case Buttons::OkCancel:
      return MB_OKCANCEL;
    case Buttons::YesNo:
      return MB_YESNO;
    case Buttons::YesNoCancel:
      return MB_YESNOCANCEL;
  }
  return MB_OK;
}

UINT iconFlags(Icon icon) {
  switch (icon) {
    case Icon::Critical:
      return MB_ICONHAND;
    case Icon::Question:
      return MB_ICONQUESTION;
    case Icon::Exclamation:
      return MB_ICONEXCLAMATION;
    case Icon::Information:
      return MB_ICONASTERISK;
    case Icon::None:
      break;
  }
  return 0;
}

// Gives the buttons of the message box about to open their Japanese captions: a CBT hook sees
// the box's window created and its buttons exist once it is activated.
HHOOK g_hook = nullptr;

LRESULT CALLBACK japaneseButtons(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    const struct {
      int id;
      const wchar_t* caption;
    } captions[] = {{IDOK, L"OK"}, {IDCANCEL, L"キャンセル"}, {IDYES, L"はい"}, {IDNO, L"いいえ"}};
    for (const auto& c : captions) {
      if (HWND button = GetDlgItem(box, c.id)) SetWindowTextW(button, c.caption);
    }
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

BoxAnswer answerOf(int pressed) {
  switch (pressed) {
    case IDYES:
      return BoxAnswer::Yes;
    case IDNO:
      return BoxAnswer::No;
    case IDCANCEL:
      return BoxAnswer::Cancel;
    default:
      return BoxAnswer::Ok;
  }
}

}  // namespace

BoxAnswer Win32Dialogs::MessageBox(const std::u16string& text, const std::u16string& title,
                                   Buttons buttons, Icon icon) {
  HWND owner = GetActiveWindow();
  g_hook = SetWindowsHookExW(WH_CBT, japaneseButtons, nullptr, GetCurrentThreadId());
  const int pressed =
      MessageBoxW(owner, winui::Wide(text), winui::Wide(title),
                  buttonFlags(buttons) | iconFlags(icon) | (owner ? 0 : MB_TASKMODAL));
  if (g_hook) {
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
  }
  // A box that failed to show (pressed 0) answers like one closed without a button.
  return pressed == 0 ? answerOf(buttons == Buttons::YesNo ? IDNO : IDCANCEL) : answerOf(pressed);
}

}  // namespace dialogs
