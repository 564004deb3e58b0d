#include "uploader/win32/FileListBox.h"

#include <commctrl.h>

#include <climits>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/winui/WinUi.h"
#include "uploader/TabStops.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;

}  // namespace

FileListBox::~FileListBox() {
  if (m_list) RemoveWindowSubclass(m_list, listProc, kSubclassId);
}

void FileListBox::attach(HWND list) {
  m_list = list;
  SetWindowSubclass(list, listProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void FileListBox::setTabStops(std::vector<int> dialogUnits) {
  m_tabStops = std::move(dialogUnits);
  InvalidateRect(m_list, nullptr, TRUE);
}

int FileListBox::LineHeight(HWND window, HFONT font) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return metrics.tmHeight;
}

void FileListBox::fitLinesTo(HFONT font) {
  SendMessageW(m_list, LB_SETITEMHEIGHT, 0, LineHeight(m_list, font));
}

void FileListBox::clear() {
  SendMessageW(m_list, LB_RESETCONTENT, 0, 0);
  m_lines.clear();
  m_toldCount = 0;
}

void FileListBox::append(const std::u16string& line) {
  // The list box counts in int; lines past that could never be shown or chosen.
  if (m_lines.size() >= static_cast<size_t>(INT_MAX)) return;
  m_lines.append(line);
  // A hidden list learns its count when it is shown or asked: the start-up fills it unseen,
  // and telling it line by line would cost more than the listing.
  if (IsWindowVisible(m_list)) syncCount();
}

void FileListBox::syncCount() const {
  if (m_toldCount == m_lines.size()) return;
  m_toldCount = m_lines.size();
  SendMessageW(m_list, LB_SETCOUNT, static_cast<WPARAM>(m_toldCount), 0);
}

std::u16string FileListBox::selected() const {
  syncCount();
  const LRESULT index = SendMessageW(m_list, LB_GETCURSEL, 0, 0);
  if (index < 0 || static_cast<size_t>(index) >= m_lines.size()) return {};
  return m_lines.line(static_cast<size_t>(index));
}

void FileListBox::select(size_t index) {
  syncCount();
  SendMessageW(m_list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void FileListBox::draw(const DRAWITEMSTRUCT& item) const {
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  if (item.itemID != static_cast<UINT>(-1) && item.itemID < m_lines.size()) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const std::u16string text = m_lines.line(item.itemID);
    HGDIOBJ old =
        SelectObject(item.hDC, reinterpret_cast<HFONT>(SendMessageW(m_list, WM_GETFONT, 0, 0)));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    // The tab stops in pixels, from the font's average character width.
    const std::u16string_view reference(kAverageWidthLetters);
    SIZE letters{};
    GetTextExtentPoint32W(item.hDC, reinterpret_cast<const wchar_t*>(reference.data()),
                          static_cast<int>(reference.size()), &letters);
    const int average = AverageCharWidth(letters.cx);
    std::vector<int> stops;
    for (int units : m_tabStops) stops.push_back(DialogUnitsToPixels(units, average));
    TabbedTextOutW(item.hDC, item.rcItem.left + 1, item.rcItem.top, winui::Wide(text),
                   static_cast<int>(text.size()), static_cast<int>(stops.size()),
                   stops.empty() ? nullptr : stops.data(), item.rcItem.left);
    SelectObject(item.hDC, old);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

LRESULT CALLBACK FileListBox::listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) {
  auto& box = *reinterpret_cast<FileListBox*>(self);
  switch (message) {
    case LB_GETCOUNT:
    case LB_GETCURSEL:
    case LB_SETCURSEL:
    case LB_GETTOPINDEX:
    case LB_SETTOPINDEX:
      box.syncCount();
      break;
    case LB_GETTEXTLEN:
    case LB_GETTEXT:
      // From another thread or process the system copies only the item data back, so the
      // line is told only to callers of this thread, whose buffer LB_GETTEXTLEN sized.
      if (InSendMessage()) break;
      if (wParam >= box.m_lines.size()) return LB_ERR;
      {
        const std::u16string line = box.m_lines.line(wParam);
        if (message == LB_GETTEXT) {
          std::memcpy(reinterpret_cast<void*>(lParam), line.c_str(),
                      (line.size() + 1) * sizeof(char16_t));
        }
        return static_cast<LRESULT>(line.size());
      }
    case WM_NCDESTROY:
      RemoveWindowSubclass(list, listProc, kSubclassId);
      box.m_list = nullptr;
      break;
    default:
      break;
  }
  return DefSubclassProc(list, message, wParam, lParam);
}
