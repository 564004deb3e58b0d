// quillpost_progress_probe.exe REPORT [cancel]: watches a Quillpost.exe that runs its start-up
// in its window (tests/windows/wine_e2e.py starts both) for its progress window: a visible
// top-level window "Quillpost" of that process with a progress bar among its children. With
// "cancel", once the window shows bytes sent, the probe presses its "キャンセル" button as a
// user would (a posted BM_CLICK: the program's thread is busy uploading and handles it when it
// next lets the window system run). Boxes are answered through their OK buttons. Each thing
// seen is one line of REPORT (UTF-8):
//   progress W H            the window appeared; its client area in pixels
//   bar POS                 the bar's position then (0..1000)
//   file TEXT               its first text (the local file's name)
//   sent TEXT               its bytes-sent text, once not empty
//   pressed                 "キャンセル" was clicked
//   box TEXT                a box of Quillpost.exe, its text with line breaks as " / "
//   open at box V           whether the progress window still existed when the box came (0, 1)
// It ends once Quillpost's main window is gone, or after 90 s.
#include <cstdio>
#include <string>

#include "platform/winui/Win32.h"

#include <commctrl.h>

#include "tests/windows/Win32TestSupport.h"

namespace {

using wintest::ChildrenOf;
using wintest::ControlOf;
using wintest::TextOf;

std::wstring classOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

struct Search {
  DWORD process;
  HWND found;
};

BOOL CALLBACK matchProgress(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->process || !IsWindowVisible(window) || TextOf(window) != u"Quillpost") {
    return TRUE;
  }
  if (ControlOf(window, PROGRESS_CLASSW) == nullptr) return TRUE;
  search->found = window;
  return FALSE;
}

HWND progressWindowOf(DWORD process) {
  Search search{process, nullptr};
  EnumWindows(matchProgress, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

LRESULT ask(HWND window, UINT message) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, 0, 0, SMTO_NORMAL, 10000, &result);
  return static_cast<LRESULT>(result);
}

// The texts of the progress window in the order of its children: the file's name first, the
// bytes sent second.
std::u16string nthText(HWND window, size_t n) {
  size_t seen = 0;
  for (HWND c : ChildrenOf(window)) {
    if (classOf(c) == L"Static" && seen++ == n) return TextOf(c);
  }
  return u"";
}

}  // namespace

int main(int argc, char** argv) {
  FILE* report = argc >= 2 ? std::fopen(argv[1], "wb") : nullptr;
  if (report == nullptr) return 2;
  const bool cancel = argc == 3 && std::string(argv[2]) == "cancel";
  HWND form = nullptr, progress = nullptr;
  bool pressed = false;
  for (const ULONGLONG end = GetTickCount64() + 90000; GetTickCount64() < end; Sleep(50)) {
    if (form == nullptr) form = FindWindowW(L"fFTPTest", L"Quillpost");
    if (form == nullptr) continue;
    if (!IsWindow(form)) break;  // the start-up is over
    DWORD process = 0;
    GetWindowThreadProcessId(form, &process);
    if (progress == nullptr && (progress = progressWindowOf(process)) != nullptr) {
      RECT client{};
      GetClientRect(progress, &client);
      std::fprintf(report, "progress %ld %ld\n", client.right, client.bottom);
      std::fprintf(report, "bar %ld\n",
                   static_cast<long>(ask(ControlOf(progress, PROGRESS_CLASSW), PBM_GETPOS)));
      std::fprintf(report, "file %s\n", wintest::Utf8(nthText(progress, 0)).c_str());
      std::fflush(report);
    }
    if (cancel && progress && !pressed && IsWindow(progress)) {
      const std::u16string sent = nthText(progress, 1);
      if (!sent.empty()) {
        std::fprintf(report, "sent %s\n", wintest::Utf8(sent).c_str());
        PostMessageW(ControlOf(progress, L"Button", L"キャンセル"), BM_CLICK, 0, 0);
        std::fprintf(report, "pressed\n");
        std::fflush(report);
        pressed = true;
      }
    }
    HWND box = wintest::WaitForWindow(L"#32770", L"Quillpost", process, 0);
    if (box == nullptr) continue;
    std::fprintf(report, "box %s\n", wintest::Utf8(wintest::BoxText(box)).c_str());
    std::fprintf(report, "open at box %d\n", progress && IsWindow(progress) ? 1 : 0);
    std::fflush(report);
    PostMessageW(ControlOf(box, L"Button"), BM_CLICK, 0, 0);
    wintest::WaitGone(box, 20000);
  }
  std::fclose(report);
  return 0;
}
