// The progress window of the start-up's upload on the Win32 API: the local file's name, the
// system's progress bar, bytes sent of the total, the rate, the time left and "キャンセル", at
// the twips of the Qt window. It has no message loop of its own: the upload lets the window
// system run each time it reports progress (cancelRequested of the ProgressWindow it is in).
#pragma once

#include <memory>
#include <string>

#include "platform/winui/Window.h"
#include "uploader/ProgressWindow.h"

class fProgress : public winui::Window {
 public:
  // A top-level window, not shown yet.
  explicit fProgress(const std::u16string& localFile);
  void display(const ProgressView& view);
  // Whether "キャンセル" was pressed or the window closed.
  bool cancelRequested() const { return m_cancelRequested; }
  void cmdCancel_Click();

 private:
  enum ControlId : int {
    lblFileId = 300,
    prgUploadId,
    lblSentId,
    lblRateId,
    lblLeftId,
    cmdCancelId = IDCANCEL,  // Esc presses it
  };

  void onCommand(int id, int code) override;
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The bar runs as a marquee (something moves, how far is not known) or shows its position.
  void setMarquee(bool on);

  HWND m_prgUpload = nullptr;
  HWND m_lblSent = nullptr;
  HWND m_lblRate = nullptr;
  HWND m_lblLeft = nullptr;
  HWND m_cmdCancel = nullptr;
  bool m_marquee = false;
  bool m_cancelRequested = false;
};

// Shows an fProgress for the upload of `localFile`, destroying it when the result is destroyed;
// null when the window cannot be made.
std::unique_ptr<ProgressWindow> OpenProgressWindow(const std::u16string& localFile);
