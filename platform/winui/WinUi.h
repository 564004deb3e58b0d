// Helpers for the programs' windows on the Win32 API: texts between our UTF-16 strings and the
// wide API, geometry in twips, fonts, controls, and top-level windows whose messages go to a
// C++ object.
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

// Twips (1/1440 inch) to pixels at the screen's resolution (15 twips a pixel at 96 dpi).
int TwipsToPixels(int twips);

// A font of `face` at `tenthsOfPoint` / 10 points, asked for in the Japanese character set.
// The caller deletes it (DeleteObject) once no control uses it.
HFONT MakeFont(const wchar_t* face, int tenthsOfPoint);

// Makes a child control of `parent` of window class `className` (a system class: "STATIC",
// "EDIT", "BUTTON", "LISTBOX"), at a rectangle in twips, with `id` and `font`. WS_CHILD and
// WS_VISIBLE are added to `style`.
HWND AddControl(HWND parent, const wchar_t* className, const std::u16string& text, DWORD style,
                DWORD exStyle, int id, int left, int top, int width, int height, HFONT font);

// A top-level window whose messages go to handle(). Not copyable; the window is destroyed with
// the object.
class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND hwnd() const { return m_hwnd; }
  // Sizes the window so that its client area is `width` x `height` twips.
  void setClientSizeTwips(int width, int height);
  void centreOnScreen();

 protected:
  // Creates the window, hidden, as an instance of a window class named `className` (registered
  // on first use).
  bool create(const wchar_t* className, const std::u16string& caption, DWORD style);
  // Messages of the window; the default hands them to DefWindowProc and turns WM_COMMAND into
  // onCommand.
  virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void onCommand(int id, int code) {}

 private:
  static LRESULT CALLBACK route(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_hwnd = nullptr;
};

// Runs the thread's message loop until WM_QUIT, with keyboard navigation (Tab, Enter) in every
// top-level window. Returns the quit code.
int RunMessageLoop();

}  // namespace winui
