// Helpers for the programs' windows on the Win32 API: texts between our UTF-16 strings and the
// wide API, and the message loop. The windows themselves are winui::Window (Window.h).
#pragma once

#include <string>

#include "platform/winui/Win32.h"

namespace winui {

// Our UTF-16 texts as the wide API's strings (wchar_t is 16 bits on Windows).
inline const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}
std::u16string WindowText(HWND window);
void SetText(HWND window, const std::u16string& text);

// Runs the thread's message loop until WM_QUIT, with keyboard navigation (Tab, Enter) in every
// top-level window. Returns the quit code.
int RunMessageLoop();

}  // namespace winui
