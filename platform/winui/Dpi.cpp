#include "platform/winui/Dpi.h"

namespace winui {
namespace {

// A function of user32 that older systems lack, or null.
template <typename Function>
Function user32(const char* name) {
  HMODULE user = GetModuleHandleW(L"user32.dll");
  return user ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user, name)))
              : nullptr;
}

UINT systemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = user32<GetDpiForWindowFunction>("GetDpiForWindow");
  const UINT dpi = getDpiForWindow && window ? getDpiForWindow(window) : 0;
  return dpi > 0 ? dpi : systemDpi();
}

SIZE OuterSize(SIZE client, DWORD style, DWORD exStyle, UINT dpi) {
  using AdjustFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = user32<AdjustFunction>("AdjustWindowRectExForDpi");
  RECT rect{0, 0, client.cx, client.cy};
  if (!(adjustForDpi && adjustForDpi(&rect, style, FALSE, exStyle, dpi))) {
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

int SystemMetric(int index, UINT dpi) {
  using MetricFunction = int(WINAPI*)(int, UINT);
  static const auto metricForDpi = user32<MetricFunction>("GetSystemMetricsForDpi");
  return metricForDpi ? metricForDpi(index, dpi)
                      : MulDiv(GetSystemMetrics(index), static_cast<int>(dpi),
                               static_cast<int>(systemDpi()));
}

}  // namespace winui
