// lstFiles on the Win32 API: a no-data, owner-drawn list box whose lines stay in ListLines
// (compact, however many a directory has) and are drawn with their TAB columns at the list's
// tab stops. The list box holds only the count of the lines, told when it is shown or asked;
// it answers LB_GETCOUNT, and from its own thread LB_GETTEXTLEN and LB_GETTEXT, from the lines,
// as a list box that holds its strings would.
#pragma once

#include <string>
#include <vector>

#include "platform/winui/Win32.h"
#include "uploader/ListLines.h"

class FileListBox {
 public:
  FileListBox() = default;
  FileListBox(const FileListBox&) = delete;
  FileListBox& operator=(const FileListBox&) = delete;
  ~FileListBox();

  // Takes over `list`, a list box made with LBS_NODATA | LBS_OWNERDRAWFIXED, until this object
  // ends or the list box is destroyed.
  void attach(HWND list);
  // Tab stops in dialog units; none until set (a TAB then goes to the next multiple of eight
  // average characters).
  void setTabStops(std::vector<int> dialogUnits);
  // Each line as high as a line of `font`, the list box's font (after each change of it).
  void fitLinesTo(HFONT font);
  static int LineHeight(HWND window, HFONT font);

  void clear();
  void append(const std::u16string& line);
  // The selected line; empty when none is.
  std::u16string selected() const;
  void select(size_t index);
  // Tells the list box how many lines there are, if it does not know yet.
  void syncCount() const;
  // WM_DRAWITEM of the list box, sent to its parent.
  void draw(const DRAWITEMSTRUCT& item) const;

 private:
  static LRESULT CALLBACK listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR self);

  HWND m_list = nullptr;
  ListLines m_lines;
  mutable size_t m_toldCount = 0;  // the count the list box was told last
  std::vector<int> m_tabStops;     // dialog units
};
