// quillpost_screenshot.exe: shows the uploader's window filled with sample lines, then a
// message box over it, then the progress window of an upload under way, and writes the screen
// rectangle of each to the file named on the command line ("window L T R B", later "box L T R
// B", last "progress L T R B") while it is on screen, so that a picture of the screen can be
// cut to it (scripts/build-windows). Ends by itself in 9 s.
#include <cstdio>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/dialogs/Win32Dialogs.h"
#include "uploader/ProgressPace.h"
#include "uploader/SampleListLines.h"
#include "uploader/win32/fFTPTest.h"
#include "uploader/win32/fProgress.h"

namespace {

FILE* g_out = nullptr;
int g_ticks = 0;

void writeRect(const char* name, HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  std::fprintf(g_out, "%s %ld %ld %ld %ld\n", name, r.left, r.top, r.right, r.bottom);
  std::fflush(g_out);
}

// Every quarter second: after 1 s the window's place is written; after 3 s the window hides,
// the first message loop ends and the box opens (its own loop keeps the ticks coming); after 4 s
// its place is written, after 6 s it is closed.
void CALLBACK onTick(HWND, UINT, UINT_PTR, DWORD) {
  ++g_ticks;
  if (g_ticks == 4) writeRect("window", FindWindowW(L"fFTPTest", L"Quillpost"));
  if (g_ticks == 12) {
    // Boxes of the start-up have no visible owner: the window never shows while they do.
    ShowWindow(FindWindowW(L"fFTPTest", L"Quillpost"), SW_HIDE);
    PostQuitMessage(0);
  }
  if (g_ticks == 16) writeRect("box", FindWindowW(L"#32770", L"Quillpost"));
  if (g_ticks == 24) PostMessageW(FindWindowW(L"#32770", L"Quillpost"), WM_COMMAND, IDOK, 0);
}

// The progress window 215 MB into a 512 MB upload at 45 MB a second, for 3 s; its place is
// written after 1 s.
void showProgress() {
  const auto window = OpenProgressWindow(u"C:\\データ\\月次報告 2026-11.csv");
  if (!window) return;
  constexpr uint64_t kMB = 1 << 20;
  const auto start = ProgressPace::Clock::now();
  ProgressPace pace;
  pace.add(start, 0, 512 * kMB);
  pace.add(start + std::chrono::milliseconds(4760), 215 * kMB, 512 * kMB);
  window->display(pace.view());
  for (int tick = 0; tick < 60; ++tick) {
    if (tick == 20) writeRect("progress", FindWindowW(L"fProgress", L"Quillpost"));
    window->cancelRequested();  // lets it paint
    Sleep(50);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || (g_out = std::fopen(argv[1], "w")) == nullptr) return 2;
  dialogs::ScriptedDialogs unused;
  fFTPTest form(unused, {});
  form.showSample(SampleListLines());
  SetTimer(nullptr, 0, 250, onTick);
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  dialogs::Win32Dialogs boxes;
  boxes.MessageBox(u"12007\r\nサーバー名を解決できませんでした。", u"Quillpost",
                   dialogs::Buttons::Ok, dialogs::Icon::Critical);
  showProgress();
  std::fclose(g_out);
  return 0;
}
