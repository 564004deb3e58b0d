// Top-level windows on the Win32 API whose messages go to a C++ object, laid out in twips:
// each window keeps its controls' places in twips and its fonts by face and size, and lays them
// out again at every DPI it is shown at (WM_DPICHANGED), fitted to the font the system selected
// (FitLayout).
#pragma once

#include <string>
#include <vector>

#include "platform/winui/FitLayout.h"
#include "platform/winui/Win32.h"

namespace winui {

// A rectangle in twips (1/1440 inch; 15 twips make a pixel at 96 dpi).
struct Twips {
  int left = 0, top = 0, width = 0, height = 0;
};

// Twips to pixels at `dpi`.
int TwipsToPixels(int twips, UINT dpi);

// A top-level window whose messages go to handle(). Not copyable; the window is destroyed with
// the object.
class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND hwnd() const { return m_hwnd; }
  UINT dpi() const { return m_dpi; }
  // How much the layout was stretched for its captions at the current DPI (1 when it fits).
  Stretch stretch() const { return m_stretch; }
  void centreOnScreen();

 protected:
  // Creates the window, hidden, as an instance of a window class named `className` (registered
  // on first use, with the program's icon), its client area `clientWidth` x `clientHeight`
  // twips once laid out.
  bool create(const wchar_t* className, const std::u16string& caption, DWORD style, int clientWidth,
              int clientHeight);
  // A font of `face` at `tenthsOfPoint` / 10 points in the Japanese character set, made anew at
  // each DPI; the number it returns names it to addControl and font(). Add fonts before the
  // controls that use them.
  int addFont(const wchar_t* face, int tenthsOfPoint);
  HFONT font(int number) const;
  // Makes a child control of the system class `className` ("STATIC", "EDIT", "BUTTON",
  // "LISTBOX") at `place`, in font number `font` (-1: the system's). WS_CHILD and WS_VISIBLE are
  // added to `style`. Made in tab order: the focus chain follows the order of making.
  HWND addControl(const wchar_t* className, const std::u16string& text, DWORD style, DWORD exStyle,
                  int id, Twips place, int font);
  // Places the controls and sizes the window at the current DPI; call once the controls are
  // made. It runs again by itself when the window's DPI changes.
  void layOut();
  // Told after each layout, for what depends on the fonts (a list's line height, say).
  virtual void onLaidOut() {}

  // Messages of the window; the default lays the window out again on WM_DPICHANGED, turns
  // WM_COMMAND into onCommand and hands the rest to DefWindowProc.
  virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void onCommand(int id, int code) {}

 private:
  struct FontSpec {
    std::u16string face;
    int tenthsOfPoint;
  };
  struct Control {
    HWND hwnd;
    Twips place;
    int font;
    ControlKind kind;
  };

  // Makes the fonts anew when the DPI changed, and gives them to the controls.
  void makeFonts();
  // The controls' places at the DPI and what their captions need, before any stretch.
  std::vector<FitControl> measure() const;
  // The program's icon at the sizes of the current DPI, for the caption and the task bar.
  void setIcons();
  static LRESULT CALLBACK route(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_hwnd = nullptr;
  UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
  Twips m_client;
  Stretch m_stretch;
  std::vector<FontSpec> m_fontSpecs;
  std::vector<HFONT> m_fonts;  // m_fontSpecs made at m_fontsDpi
  UINT m_fontsDpi = 0;
  std::vector<Control> m_controls;
  HICON m_icons[2] = {};  // big, small
};

}  // namespace winui
