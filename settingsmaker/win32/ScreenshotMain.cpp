// quillprep_screenshot.exe: shows the settings editor with the example values and the recovery
// dialog beside it, both reached through the controls, and writes the screen rectangle of each to
// the file named on the command line ("form1 L T R B", "form2 L T R B") while they are on screen,
// so that a picture of the screen can be cut to them (scripts/build-windows). Ends by itself in 3
// s.
#include <cstdio>

#include "platform/dialogs/ScriptedDialogs.h"
#include "settingsmaker/win32/Forms.h"

namespace {

void writeRect(FILE* out, const char* name, HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  std::fprintf(out, "%s %ld %ld %ld %ld\n", name, r.left, r.top, r.right, r.bottom);
  std::fflush(out);
}

}  // namespace

int main(int argc, char** argv) {
  FILE* out = argc == 2 ? std::fopen(argv[1], "w") : nullptr;
  if (out == nullptr) return 2;
  dialogs::ScriptedDialogs unused;
  Form1 form(unused, u"");
  ShowWindow(form.hwnd(), SW_SHOW);
  // Through the controls, as a user would: the example button, a double-click on the label.
  SendMessageW(FindWindowExW(form.hwnd(), nullptr, L"BUTTON", L"記入例"), BM_CLICK, 0, 0);
  SendMessageW(FindWindowExW(form.hwnd(), nullptr, L"STATIC", L"パスワード"), WM_LBUTTONDBLCLK,
               MK_LBUTTON, 0);
  if (form.form2() == nullptr || form.text(Box::Text2) != u"zorvi") {
    std::fprintf(out, "the controls did not reach their handlers\n");
    return 1;
  }
  // The dialog to the right of the editor, or below it where the screen is too narrow (a high
  // DPI), so that both show whole.
  RECT r{}, dialog{}, area{};
  GetWindowRect(form.hwnd(), &r);
  GetWindowRect(form.form2()->hwnd(), &dialog);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  if (r.right + 20 + (dialog.right - dialog.left) > area.right) {
    OffsetRect(&r, area.left + 20 - r.left, area.top + 20 - r.top);
    SetWindowPos(form.hwnd(), nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowPos(form.form2()->hwnd(), nullptr, r.left, r.bottom + 20, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
  } else {
    SetWindowPos(form.form2()->hwnd(), nullptr, r.right + 20, r.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
  }
  UpdateWindow(form.hwnd());
  SetTimer(nullptr, 0, 1000, [](HWND, UINT, UINT_PTR, DWORD) {
    static int ticks = 0;
    if (++ticks >= 3) PostQuitMessage(0);
  });
  MSG message{};
  bool written = false;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    DispatchMessageW(&message);
    if (!written && message.message == WM_TIMER) {
      writeRect(out, "form1", form.hwnd());
      writeRect(out, "form2", form.form2()->hwnd());
      written = true;
    }
  }
  std::fclose(out);
  return 0;
}
