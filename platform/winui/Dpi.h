// The resolution a window is drawn at. The programs declare themselves per-monitor DPI aware
// (their manifest), so each window scales its twips and fonts to the DPI of the monitor it is on.
// The functions that tell a window's DPI came with Windows 10 (1607); they are looked up at run
// time, and on older systems the system DPI stands in, so that Windows 7 still starts the
// programs.
#pragma once

#include "platform/winui/Win32.h"

namespace winui {

// The DPI of `window` (GetDpiForWindow), or the system DPI where that is missing.
UINT WindowDpi(HWND window);

// The outer size of a window of `style` whose client area is `client`, at `dpi` (the frame and
// caption grow with the DPI on Windows 10; before, the system DPI's frame is all there is).
SIZE OuterSize(SIZE client, DWORD style, DWORD exStyle, UINT dpi);

// GetSystemMetrics at `dpi` (GetSystemMetricsForDpi where there is one).
int SystemMetric(int index, UINT dpi);

}  // namespace winui
