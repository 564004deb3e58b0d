#include "platform/winui/Window.h"

#include <commctrl.h>

#include "platform/winui/Dpi.h"
#include "platform/winui/WinUi.h"

namespace winui {
namespace {

// The program's icon in its resources (Program.rc.in).
constexpr WORD kProgramIcon = 1;

ControlKind kindOf(const wchar_t* className, DWORD style) {
  // Class names are compared as the system does, letter case aside.
  if (_wcsicmp(className, L"STATIC") == 0) {
    // A text cut with an ellipsis fits any width: it needs no room of its own.
    if (style & SS_ELLIPSISMASK) return ControlKind::Other;
    return (style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP ? ControlKind::Label
                                                      : ControlKind::WrappingLabel;
  }
  if (_wcsicmp(className, L"EDIT") == 0) {
    return (style & ES_MULTILINE) ? ControlKind::Other : ControlKind::TextBox;
  }
  if (_wcsicmp(className, L"BUTTON") != 0) return ControlKind::Other;
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      return (style & BS_MULTILINE) ? ControlKind::WrappingButton : ControlKind::Button;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
      return ControlKind::CheckBox;
    default:
      return ControlKind::Other;
  }
}

Box pixels(const Twips& place, UINT dpi) {
  return {TwipsToPixels(place.left, dpi), TwipsToPixels(place.top, dpi),
          TwipsToPixels(place.width, dpi), TwipsToPixels(place.height, dpi)};
}

// Room around the captions: a gap after a label, a push button's border and focus rectangle,
// the check box's square, a text box's sunken frame; in pixels at `dpi`.
FitMargins marginsAt(UINT dpi) {
  const auto scaled = [dpi](int pixelsAt96) {
    return MulDiv(pixelsAt96, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
  };
  return {.labelGap = scaled(3),
          .buttonX = scaled(4),
          .buttonY = scaled(3),
          .checkBoxX = SystemMetric(SM_CXMENUCHECK, dpi) + scaled(5),
          .textBoxY = SystemMetric(SM_CYEDGE, dpi)};
}

HICON programIcon(int metric, UINT dpi) {
  const int size = SystemMetric(metric, dpi);
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIcon),
                                       IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// The system's window classes in the look of common controls 6, which the manifest asks for.
void initCommonControls() {
  static const bool done = [] {
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&classes) != FALSE;
  }();
  (void)done;
}

}  // namespace

int TwipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

Window::~Window() {
  if (m_hwnd) {
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    DestroyWindow(m_hwnd);
  }
  for (HFONT f : m_fonts) DeleteObject(f);
  for (HICON icon : m_icons) {
    if (icon) DestroyIcon(icon);
  }
}

void Window::centreOnScreen() {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  RECT rect{};
  GetWindowRect(m_hwnd, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  SetWindowPos(m_hwnd, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Window::create(const wchar_t* className, const std::u16string& caption, DWORD style,
                    int clientWidth, int clientHeight) {
  initCommonControls();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  if (!GetClassInfoExW(instance, className, &windowClass)) {
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = route;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kProgramIcon));
    windowClass.lpszClassName = className;
    if (!RegisterClassExW(&windowClass)) return false;
  }
  m_client = {0, 0, clientWidth, clientHeight};
  m_hwnd = CreateWindowExW(0, className, Wide(caption), style, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
  if (m_hwnd) m_dpi = WindowDpi(m_hwnd);
  return m_hwnd != nullptr;
}

int Window::addFont(const wchar_t* face, int tenthsOfPoint) {
  m_fontSpecs.push_back({reinterpret_cast<const char16_t*>(face), tenthsOfPoint});
  m_fontsDpi = 0;  // made at the next layout
  makeFonts();
  return static_cast<int>(m_fontSpecs.size()) - 1;
}

HFONT Window::font(int number) const {
  return number >= 0 && static_cast<size_t>(number) < m_fonts.size() ? m_fonts[number] : nullptr;
}

HWND Window::addControl(const wchar_t* className, const std::u16string& text, DWORD style,
                        DWORD exStyle, int id, Twips place, int font) {
  const Box at = pixels(place, m_dpi);
  HWND control = CreateWindowExW(exStyle, className, Wide(text), WS_CHILD | WS_VISIBLE | style,
                                 at.left, at.top, at.width, at.height, m_hwnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control == nullptr) return nullptr;
  if (HFONT f = this->font(font)) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(f), 0);
  m_controls.push_back({control, place, font, kindOf(className, style)});
  return control;
}

void Window::makeFonts() {
  if (m_fontsDpi == m_dpi && m_fonts.size() == m_fontSpecs.size()) return;
  const std::vector<HFONT> old = std::move(m_fonts);
  m_fonts.clear();
  for (const FontSpec& spec : m_fontSpecs) {
    const int height = -MulDiv(spec.tenthsOfPoint, static_cast<int>(m_dpi), 720);
    m_fonts.push_back(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE,
                                  reinterpret_cast<const wchar_t*>(spec.face.c_str())));
  }
  m_fontsDpi = m_dpi;
  for (const Control& c : m_controls) {
    if (HFONT f = font(c.font)) SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(f), 0);
  }
  for (HFONT f : old) DeleteObject(f);  // no control uses them any more
}

std::vector<FitControl> Window::measure() const {
  std::vector<FitControl> fit;
  for (const Control& c : m_controls) fit.push_back({pixels(c.place, m_dpi), c.kind});
  const FitMargins margins = marginsAt(m_dpi);
  HDC dc = GetDC(m_hwnd);
  for (size_t i = 0; i < m_controls.size(); ++i) {
    const Control& c = m_controls[i];
    if (c.kind == ControlKind::Other) continue;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(c.hwnd, WM_GETFONT, 0, 0)));
    const std::u16string text = WindowText(c.hwnd);
    if (c.kind == ControlKind::WrappingButton || c.kind == ControlKind::WrappingLabel) {
      RECT wrapped{0, 0, TextRoom(fit, i, margins).width, 0};
      DrawTextW(dc, Wide(text), static_cast<int>(text.size()), &wrapped,
                DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
      fit[i].textWidth = wrapped.right;
      fit[i].textHeight = wrapped.bottom;
    } else {
      // The extent of the caption, or of one character for a text box: its line's height.
      const std::u16string sample = c.kind == ControlKind::TextBox ? u"Ag" : text;
      SIZE extent{};
      GetTextExtentPoint32W(dc, Wide(sample), static_cast<int>(sample.size()), &extent);
      fit[i].textWidth = c.kind == ControlKind::TextBox ? 0 : extent.cx;
      fit[i].textHeight = extent.cy;
    }
    SelectObject(dc, old);
  }
  ReleaseDC(m_hwnd, dc);
  return fit;
}

void Window::layOut() {
  makeFonts();
  const std::vector<FitControl> fit = measure();
  m_stretch = FitStretch(fit, marginsAt(m_dpi));
  std::vector<Box> placed;
  for (size_t i = 0; i < m_controls.size(); ++i) {
    const Box box = Stretched(fit[i].place, m_stretch);
    SetWindowPos(m_controls[i].hwnd, nullptr, box.left, box.top, box.width, box.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    placed.push_back(box);
  }
  const Box client = EnclosingClient(Stretched(pixels(m_client, m_dpi), m_stretch), placed);
  const SIZE outer = OuterSize({client.width, client.height},
                               static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)),
                               static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE)), m_dpi);
  SetWindowPos(m_hwnd, nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  setIcons();
  InvalidateRect(m_hwnd, nullptr, TRUE);
  onLaidOut();
}

void Window::setIcons() {
  const int metrics[2] = {SM_CXICON, SM_CXSMICON};
  const WPARAM which[2] = {ICON_BIG, ICON_SMALL};
  for (int i = 0; i < 2; ++i) {
    HICON icon = programIcon(metrics[i], m_dpi);
    if (icon == nullptr) continue;  // a program without the icon keeps its class's
    SendMessageW(m_hwnd, WM_SETICON, which[i], reinterpret_cast<LPARAM>(icon));
    if (m_icons[i]) DestroyIcon(m_icons[i]);
    m_icons[i] = icon;
  }
}

LRESULT Window::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DPICHANGED && LOWORD(wParam) > 0) {
    // The new DPI, and where the system suggests the window now stands.
    m_dpi = LOWORD(wParam);
    layOut();
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(m_hwnd, nullptr, suggested->left, suggested->top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  if (message == WM_COMMAND) {
    onCommand(LOWORD(wParam), HIWORD(wParam));
    return 0;
  }
  return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Window::route(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    window->m_hwnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    window->m_hwnd = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return window->handle(message, wParam, lParam);
}

}  // namespace winui
