#include "platform/winui/WinUi.h"

#include <vector>

namespace winui {

std::u16string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  const int copied = GetWindowTextW(window, buffer.data(), length + 1);
  return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()),
                        static_cast<size_t>(copied > 0 ? copied : 0));
}

void SetText(HWND window, const std::u16string& text) { SetWindowTextW(window, Wide(text)); }

int TwipsToPixels(int twips) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return MulDiv(twips, dpi, 1440);
}

HFONT MakeFont(const wchar_t* face, int tenthsOfPoint) {
  const int height = -MulDiv(tenthsOfPoint, TwipsToPixels(1440), 720);
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

HWND AddControl(HWND parent, const wchar_t* className, const std::u16string& text, DWORD style,
                DWORD exStyle, int id, int left, int top, int width, int height, HFONT font) {
  HWND control = CreateWindowExW(
      exStyle, className, Wide(text), WS_CHILD | WS_VISIBLE | style, TwipsToPixels(left),
      TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height), parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (control && font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return control;
}

Window::~Window() {
  if (m_hwnd) {
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    DestroyWindow(m_hwnd);
  }
}

void Window::setClientSizeTwips(int width, int height) {
  RECT rect{0, 0, TwipsToPixels(width), TwipsToPixels(height)};
  AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE)));
  SetWindowPos(m_hwnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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

bool Window::create(const wchar_t* className, const std::u16string& caption, DWORD style) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  if (!GetClassInfoExW(instance, className, &windowClass)) {
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = route;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));  // the program's own icon
    windowClass.lpszClassName = className;
    if (!RegisterClassExW(&windowClass)) return false;
  }
  m_hwnd = CreateWindowExW(0, className, Wide(caption), style, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
  return m_hwnd != nullptr;
}

LRESULT Window::handle(UINT message, WPARAM wParam, LPARAM lParam) {
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

int RunMessageLoop() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    HWND top = GetAncestor(message.hwnd, GA_ROOT);
    if (top != nullptr && IsDialogMessageW(top, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace winui
