// quillpost_window_probe.exe REPORT: watches a Quillpost.exe that runs its start-up in its
// window (tests/windows/wine_e2e.py starts both) and answers its message boxes through their
// OK buttons, as a user would. While the completion box is open, the window (hidden, never
// shown) is alive with its list filled: the probe then reads the list's count, selects the
// first line (the parent line) and double-clicks it, which takes the session up one folder.
// Each thing seen is one line of REPORT (UTF-8):
//   box TEXT                 a box of Quillpost.exe, its text with line breaks as " / "
//   window visible V         whether Quillpost's window was on the screen meanwhile (0, 1)
//   count N                  the list's lines while the completion box is open
//   after double-click N     the list's lines once the double-click is handled
// It ends once Quillpost's window is gone, or after 60 s.
#include <cstdio>
#include <string>

#include "platform/winui/Win32.h"
#include "tests/windows/Win32TestSupport.h"

namespace {

using wintest::ControlOf;

LRESULT ask(HWND window, UINT message, WPARAM wParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, 0, SMTO_NORMAL, 30000, &result);
  return static_cast<LRESULT>(result);
}

// While the completion box is open: the list as the start-up left it, then a double-click on
// its first line.
void probeList(FILE* report, HWND form) {
  HWND list = ControlOf(form, L"ListBox");
  std::fprintf(report, "count %ld\n", static_cast<long>(ask(list, LB_GETCOUNT)));
  ask(list, LB_SETCURSEL, 0);
  ask(list, WM_LBUTTONDBLCLK, MK_LBUTTON);
  std::fprintf(report, "after double-click %ld\n", static_cast<long>(ask(list, LB_GETCOUNT)));
}

}  // namespace

int main(int argc, char** argv) {
  FILE* report = argc == 2 ? std::fopen(argv[1], "wb") : nullptr;
  if (report == nullptr) return 2;
  HWND form = nullptr;
  bool visible = false;
  for (const ULONGLONG end = GetTickCount64() + 60000; GetTickCount64() < end; Sleep(50)) {
    if (form == nullptr) form = FindWindowW(L"fFTPTest", L"Quillpost");
    if (form != nullptr && !IsWindow(form)) break;  // the start-up is over
    if (form != nullptr) visible = visible || IsWindowVisible(form);
    DWORD process = 0;
    if (form != nullptr) GetWindowThreadProcessId(form, &process);
    HWND box = form ? wintest::WaitForWindow(L"#32770", L"Quillpost", process, 0) : nullptr;
    if (box == nullptr) continue;
    const std::u16string text = wintest::BoxText(box);
    std::fprintf(report, "box %s\n", wintest::Utf8(text).c_str());
    if (text.find(u"送信されました") != std::u16string::npos) probeList(report, form);
    PostMessageW(ControlOf(box, L"Button"), BM_CLICK, 0, 0);
    wintest::WaitGone(box, 20000);
  }
  std::fprintf(report, "window visible %d\n", visible ? 1 : 0);
  std::fclose(report);
  return 0;
}
