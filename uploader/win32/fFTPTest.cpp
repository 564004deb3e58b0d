#include "uploader/win32/fFTPTest.h"

#include "uploader/win32/FormIcon.h"

#include <climits>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

#include "uploader/TabStops.h"

namespace {

// The fonts the layout is sized for: the forms' proportional Gothic, 11 pixels at 96 dpi, and
// the list's fixed-pitch Gothic at 9.75 points.
constexpr wchar_t kFormFontName[] = L"ＭＳ Ｐゴシック";
constexpr int kFormFontTenths = 83;
constexpr wchar_t kListFontName[] = L"ＭＳ ゴシック";
constexpr int kListFontTenths = 98;

}  // namespace

fFTPTest::fFTPTest(dialogs::Dialogs& dialogs, std::u16string settingsFolder, Clock clock,
                   std::function<void(const StoredUpload&)> onStored)
    : m_dialogs(dialogs),
      m_settingsFolder(std::move(settingsFolder)),
      m_clock(std::move(clock)),
      m_onStored(std::move(onStored)) {
  m_formFont = winui::MakeFont(kFormFontName, kFormFontTenths);
  m_listFont = winui::MakeFont(kListFontName, kListFontTenths);
  create(L"fFTPTest", u"Quillpost", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  setClientSizeTwips(6345, 4545);
  SetFormIcons(hwnd());
  createControls();
  m_clsFtp = MakeSession(m_dialogs);
}

fFTPTest::~fFTPTest() {
  Form_Unload();
  if (hwnd()) DestroyWindow(hwnd());
  DeleteObject(m_formFont);
  DeleteObject(m_listFont);
}

void fFTPTest::createControls() {
  auto add = [&](const wchar_t* cls, const std::u16string& text, DWORD style, DWORD ex, int id,
                 int left, int top, int width, int height, HFONT font) {
    return winui::AddControl(hwnd(), cls, text, style, ex, id, left, top, width, height, font);
  };
  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE;
  const DWORD edit = WS_TABSTOP | ES_AUTOHSCROLL;
  // Made in tab order: the focus chain follows the creation order.
  add(L"STATIC", u"サーバー", SS_LEFT, 0, kLabel1, 240, 285, 720, 180, m_formFont);
  m_txtServer =
      add(L"EDIT", u"", edit, WS_EX_CLIENTEDGE, txtServerId, 1200, 240, 3855, 270, m_formFont);
  m_chkPassive = add(L"BUTTON", u"Passive", WS_TABSTOP | BS_AUTOCHECKBOX, 0, chkPassiveId, 5160,
                     240, 975, 270, m_formFont);
  SendMessageW(m_chkPassive, BM_SETCHECK, BST_CHECKED, 0);
  add(L"STATIC", u"ユーザー", SS_LEFT, 0, kLabel1 + 1, 240, 645, 720, 180, m_formFont);
  m_txtUser =
      add(L"EDIT", u"", edit, WS_EX_CLIENTEDGE, txtUserId, 1200, 600, 2535, 270, m_formFont);
  add(L"STATIC", u"パスワード", SS_LEFT, 0, kLabel1 + 2, 240, 1005, 810, 180, m_formFont);
  m_txtPass = add(L"EDIT", u"", edit, WS_EX_CLIENTEDGE, txtPassId, 1200, 960, 2535, 270,
                  m_formFont);  // shown unmasked
  m_cmdOpen = add(L"BUTTON", u"接続", button, 0, cmdOpenId, 3840, 600, 1095, 615, m_formFont);
  add(L"BUTTON", u"切断", button, 0, cmdCloseId, 5040, 600, 1095, 615, m_formFont);
  // A no-data list box: the lines stay in m_lines, compact, however many a directory has.
  m_lstFiles = add(L"LISTBOX", u"",
                   WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                       LBS_NODATA | LBS_OWNERDRAWFIXED,
                   WS_EX_CLIENTEDGE, lstFilesId, 240, 1440, 5895, 2400, m_listFont);
  add(L"BUTTON", u"削除", button, 0, cmdDelId, 240, 3960, 1095, 615, m_formFont);
  add(L"BUTTON", u"リネーム", button, 0, cmdRenameId, 1440, 3960, 1095, 615, m_formFont);
  add(L"BUTTON", u"送信", button, 0, cmdPutId, 2640, 3960, 1095, 615, m_formFont);
  add(L"BUTTON", u"受信", button, 0, cmdGetId, 3840, 3960, 1095, 615, m_formFont);
  add(L"BUTTON", u"ディレクトリ作成", button, 0, cmdMakeDirId, 5040, 3960, 1095, 615, m_formFont);
}

void fFTPTest::setTabStops() {
  m_tabStops.assign(std::begin(kTabStops), std::end(kTabStops));
  InvalidateRect(m_lstFiles, nullptr, TRUE);
}

ExitStatus fFTPTest::Form_Load() {
  setTabStops();
  m_clsFtp = MakeSession(m_dialogs);
  const ExitStatus status =
      RunStartUp(*this, *m_clsFtp, m_dialogs, {m_settingsFolder, m_clock, m_onStored});
  Form_Unload();
  DestroyWindow(hwnd());
  return status;
}

void fFTPTest::Form_Unload() { m_clsFtp.reset(); }

void fFTPTest::showSample(const std::vector<std::u16string>& lines) {
  setTabStops();
  setServerText(u"ftp.example.jp");
  setUserText(u"uploader");
  setPassText(u"secret");
  for (const std::u16string& line : lines) addListLine(line);
  syncListCount();
  SendMessageW(m_lstFiles, LB_SETCURSEL, 3, 0);
  centreOnScreen();
  ShowWindow(hwnd(), SW_SHOW);
  UpdateWindow(hwnd());
}

void fFTPTest::onCommand(int id, int code) {
  const WindowParts window = parts();
  switch (id) {
    case cmdOpenId:
      return cmdOpen_Click(window);
    case cmdCloseId:
      return cmdClose_Click(window);
    case cmdDelId:
      return cmdDel_Click(window);
    case cmdRenameId:
      return cmdRename_Click(window);
    case cmdPutId:
      return cmdPut_Click(window);
    case cmdGetId:
      return cmdGet_Click(window);
    case cmdMakeDirId:
      return cmdMakeDir_Click(window);
    case lstFilesId:
      if (code == LBN_DBLCLK) lstFiles_DblClick(window);
      return;
    default:
      return;
  }
}

LRESULT fFTPTest::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    Form_Unload();
    DestroyWindow(hwnd());
    return 0;
  }
  if (message == WM_MEASUREITEM && wParam == lstFilesId) {
    measureListItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    return TRUE;
  }
  if (message == WM_DRAWITEM && wParam == lstFilesId) {
    drawListItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }
  if (message == WM_SHOWWINDOW && wParam) syncListCount();
  if (message == WM_DESTROY) {
    DestroyFormIcons(hwnd());
    PostQuitMessage(0);
    return 0;
  }
  return Window::handle(message, wParam, lParam);
}

bool fFTPTest::passiveChecked() const {
  return SendMessageW(m_chkPassive, BM_GETCHECK, 0, 0) != BST_UNCHECKED;
}

void fFTPTest::clearList() {
  SendMessageW(m_lstFiles, LB_RESETCONTENT, 0, 0);
  m_lines.clear();
}

void fFTPTest::addListLine(const std::u16string& line) {
  // The list box counts in int; lines past that could never be shown or chosen.
  if (m_lines.size() >= static_cast<size_t>(INT_MAX)) return;
  m_lines.append(line);
  // A hidden list learns its count when it is shown or read: the start-up fills it unseen,
  // and telling it line by line would cost more than the listing.
  if (IsWindowVisible(m_lstFiles)) syncListCount();
}

void fFTPTest::syncListCount() const {
  const auto count = static_cast<LRESULT>(m_lines.size());
  if (SendMessageW(m_lstFiles, LB_GETCOUNT, 0, 0) != count) {
    SendMessageW(m_lstFiles, LB_SETCOUNT, static_cast<WPARAM>(count), 0);
  }
}

std::u16string fFTPTest::selectedLine() const {
  syncListCount();
  const LRESULT index = SendMessageW(m_lstFiles, LB_GETCURSEL, 0, 0);
  if (index < 0 || static_cast<size_t>(index) >= m_lines.size()) return {};
  return m_lines.line(static_cast<size_t>(index));
}

void fFTPTest::measureListItem(MEASUREITEMSTRUCT& item) {
  // As high as a line of the list's font, as the list box makes its own lines.
  HDC dc = GetDC(hwnd());
  HGDIOBJ old = SelectObject(dc, m_listFont);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(hwnd(), dc);
  item.itemHeight = static_cast<UINT>(metrics.tmHeight);
}

void fFTPTest::drawListItem(const DRAWITEMSTRUCT& item) {
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  if (item.itemID != static_cast<UINT>(-1) && item.itemID < m_lines.size()) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const std::u16string text = m_lines.line(item.itemID);
    HGDIOBJ old = SelectObject(item.hDC, m_listFont);
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
    // Without stops a TAB goes to the next multiple of eight average characters.
    TabbedTextOutW(item.hDC, item.rcItem.left + 1, item.rcItem.top, winui::Wide(text),
                   static_cast<int>(text.size()), static_cast<int>(stops.size()),
                   stops.empty() ? nullptr : stops.data(), item.rcItem.left);
    SelectObject(item.hDC, old);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}
