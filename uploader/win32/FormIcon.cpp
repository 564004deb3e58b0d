#include "uploader/win32/FormIcon.h"

#include <iterator>
#include <vector>

#include "uploader/IconShape.h"

namespace {

COLORREF colour(unsigned rgb) { return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF); }

void fill(HDC dc, const IconPoint* points, size_t count, unsigned rgb, int size) {
  std::vector<POINT> scaled;
  for (size_t i = 0; i < count; ++i) {
    scaled.push_back({points[i].x * size / kIconGrid, points[i].y * size / kIconGrid});
  }
  HBRUSH brush = CreateSolidBrush(colour(rgb));
  HGDIOBJ old = SelectObject(dc, brush);
  Polygon(dc, scaled.data(), static_cast<int>(scaled.size()));
  SelectObject(dc, old);
  DeleteObject(brush);
}

// The picture in colour, and the mask that leaves the corners outside the tile transparent.
HICON drawIcon(int size) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, size, size);
  HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
  const auto scale = [size](int v) { return v * size / kIconGrid; };
  const int a = scale(kIconTileLeft), b = scale(kIconTileLeft + kIconTileSize);
  const int r = scale(kIconTileRadius * 2);
  HGDIOBJ old = SelectObject(dc, mask);
  PatBlt(dc, 0, 0, size, size, WHITENESS);  // white: transparent
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  SelectObject(dc, GetStockObject(NULL_PEN));
  RoundRect(dc, a, a, b + 1, b + 1, r, r);
  SelectObject(dc, picture);
  PatBlt(dc, 0, 0, size, size, BLACKNESS);
  HBRUSH tile = CreateSolidBrush(colour(kIconTileColour));
  SelectObject(dc, tile);
  RoundRect(dc, a, a, b + 1, b + 1, r, r);
  fill(dc, kIconSheet, std::size(kIconSheet), 0xFFFFFF, size);
  fill(dc, kIconArrow, std::size(kIconArrow), kIconArrowColour, size);
  SelectObject(dc, old);
  DeleteObject(tile);
  ICONINFO info{TRUE, 0, 0, mask, picture};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(picture);
  DeleteObject(mask);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return icon;
}

}  // namespace

void SetFormIcons(HWND window) {
  SendMessageW(window, WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(drawIcon(GetSystemMetrics(SM_CXICON))));
  SendMessageW(window, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(drawIcon(GetSystemMetrics(SM_CXSMICON))));
}

void DestroyFormIcons(HWND window) {
  for (WPARAM which : {ICON_BIG, ICON_SMALL}) {
    HICON icon = reinterpret_cast<HICON>(SendMessageW(window, WM_SETICON, which, 0));
    if (icon) DestroyIcon(icon);
  }
}
