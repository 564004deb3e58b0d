#include "uploader/win32/fProgress.h"

#include <commctrl.h>

#include "platform/files/Files.h"
#include "platform/winui/WinUi.h"
#include "uploader/win32/FormFonts.h"

namespace {

// The bar's range: the view's share in thousandths.
constexpr int kBarRange = 1000;
// How often the marquee's block moves, in milliseconds.
constexpr int kMarqueeStep = 30;

void setChanged(HWND control, const std::u16string& text) {
  if (winui::WindowText(control) != text) winui::SetText(control, text);
}

class Win32ProgressWindow final : public ProgressWindow {
 public:
  explicit Win32ProgressWindow(const std::u16string& localFile) : m_form(localFile) {}

  bool ready() const { return m_form.hwnd() != nullptr; }
  void show() {
    m_form.centreOnScreen();
    ShowWindow(m_form.hwnd(), SW_SHOW);
    UpdateWindow(m_form.hwnd());
  }
  void display(const ProgressView& view) override { m_form.display(view); }

  bool cancelRequested() override {
    // Only what is waiting: the upload goes on as soon as the queue is empty.
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // The thread is asked to end: stop the upload, and leave the request for the loop that
        // owns it.
        PostQuitMessage(static_cast<int>(message.wParam));
        m_form.cmdCancel_Click();
        break;
      }
      if (m_form.hwnd() && IsDialogMessageW(m_form.hwnd(), &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    return m_form.cancelRequested();
  }

 private:
  fProgress m_form;
};

}  // namespace

fProgress::fProgress(const std::u16string& localFile) {
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  if (!create(L"fProgress", u"Quillpost", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 4800, 2100)) {
    return;
  }
  const int formFont = addFont(kFormFontName, kFormFontTenths);
  // The texts change as the upload runs: one line each, cut with an ellipsis where too long,
  // never wrapped, "&" shown as it is.
  const DWORD text = SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS | SS_NOPREFIX | SS_CENTERIMAGE;
  addControl(L"STATIC", files::FileNamePart(localFile), text, 0, lblFileId, {120, 120, 4560, 255},
             formFont);
  m_prgUpload = addControl(PROGRESS_CLASSW, u"", 0, 0, prgUploadId, {120, 450, 4560, 300}, -1);
  SendMessageW(m_prgUpload, PBM_SETRANGE32, 0, kBarRange);
  m_lblSent = addControl(L"STATIC", u"", text, 0, lblSentId, {120, 870, 4560, 255}, formFont);
  m_lblRate = addControl(L"STATIC", u"", text, 0, lblRateId, {120, 1170, 2220, 255}, formFont);
  m_lblLeft = addControl(L"STATIC", u"", (text & ~SS_TYPEMASK) | SS_RIGHT, 0, lblLeftId,
                         {2460, 1170, 2220, 255}, formFont);
  m_cmdCancel = addControl(L"BUTTON", u"キャンセル", WS_TABSTOP | BS_PUSHBUTTON, 0, cmdCancelId,
                           {3480, 1560, 1200, 375}, formFont);
  layOut();
}

void fProgress::display(const ProgressView& view) {
  // Without a total the bar only says that something moves.
  setMarquee(!view.totalKnown);
  if (view.totalKnown) SendMessageW(m_prgUpload, PBM_SETPOS, static_cast<WPARAM>(view.permille), 0);
  setChanged(m_lblSent, view.sent);
  setChanged(m_lblRate, view.rate);
  setChanged(m_lblLeft, view.timeLeft);
}

void fProgress::setMarquee(bool on) {
  if (on == m_marquee) return;
  m_marquee = on;
  const LONG_PTR style = GetWindowLongPtrW(m_prgUpload, GWL_STYLE);
  SetWindowLongPtrW(m_prgUpload, GWL_STYLE, on ? style | PBS_MARQUEE : style & ~PBS_MARQUEE);
  SendMessageW(m_prgUpload, PBM_SETMARQUEE, on, kMarqueeStep);
  if (!on) SendMessageW(m_prgUpload, PBM_SETRANGE32, 0, kBarRange);
}

void fProgress::cmdCancel_Click() {
  m_cancelRequested = true;
  EnableWindow(m_cmdCancel, FALSE);
}

void fProgress::onCommand(int id, int code) {
  if (id == cmdCancelId && code == BN_CLICKED) cmdCancel_Click();
}

LRESULT fProgress::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  // Closing the window while the upload runs is asking to stop it; the start-up closes it.
  if (message == WM_CLOSE) {
    cmdCancel_Click();
    return 0;
  }
  return Window::handle(message, wParam, lParam);
}

std::unique_ptr<ProgressWindow> OpenProgressWindow(const std::u16string& localFile) {
  auto window = std::make_unique<Win32ProgressWindow>(localFile);
  if (!window->ready()) return nullptr;
  window->show();
  return window;
}
