#include "uploader/win32/fFTPTest.h"

#include <iterator>
#include <utility>

#include "uploader/win32/FormFonts.h"

fFTPTest::fFTPTest(dialogs::Dialogs& dialogs, StartUpRunner startUp)
    : m_dialogs(dialogs), m_startUp(std::move(startUp)) {
  create(L"fFTPTest", u"Quillpost", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 6345,
         4545);
  m_formFont = addFont(kFormFontName, kFormFontTenths);
  m_listFont = addFont(kListFontName, kListFontTenths);
  createControls();
  layOut();
  m_clsFtp = MakeSession(m_dialogs);
}

fFTPTest::~fFTPTest() {
  Form_Unload();
  if (hwnd()) DestroyWindow(hwnd());
}

void fFTPTest::onLaidOut() {
  if (m_lstFiles) m_list.fitLinesTo(font(m_listFont));
}

void fFTPTest::createControls() {
  auto add = [&](const wchar_t* cls, const std::u16string& text, DWORD style, DWORD ex, int id,
                 int left, int top, int width, int height, int font) {
    return addControl(cls, text, style, ex, id, {left, top, width, height}, font);
  };
  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE;
  const DWORD edit = WS_TABSTOP | ES_AUTOHSCROLL;
  // Made in tab order: the focus chain follows the creation order.
  add(L"STATIC", u"サーバー", SS_LEFTNOWORDWRAP, 0, kLabel1, 240, 285, 720, 180, m_formFont);
  m_txtServer =
      add(L"EDIT", u"", edit, WS_EX_CLIENTEDGE, txtServerId, 1200, 240, 3855, 270, m_formFont);
  m_chkPassive = add(L"BUTTON", u"Passive", WS_TABSTOP | BS_AUTOCHECKBOX, 0, chkPassiveId, 5160,
                     240, 975, 270, m_formFont);
  SendMessageW(m_chkPassive, BM_SETCHECK, BST_CHECKED, 0);
  add(L"STATIC", u"ユーザー", SS_LEFTNOWORDWRAP, 0, kLabel1 + 1, 240, 645, 720, 180, m_formFont);
  m_txtUser =
      add(L"EDIT", u"", edit, WS_EX_CLIENTEDGE, txtUserId, 1200, 600, 2535, 270, m_formFont);
  add(L"STATIC", u"パスワード", SS_LEFTNOWORDWRAP, 0, kLabel1 + 2, 240, 1005, 810, 180, m_formFont);
  m_txtPass = add(L"EDIT", u"", edit, WS_EX_CLIENTEDGE, txtPassId, 1200, 960, 2535, 270,
                  m_formFont);  // shown unmasked
  m_cmdOpen = add(L"BUTTON", u"接続", button, 0, cmdOpenId, 3840, 600, 1095, 615, m_formFont);
  add(L"BUTTON", u"切断", button, 0, cmdCloseId, 5040, 600, 1095, 615, m_formFont);
  // A no-data list box: the lines stay in m_list, compact, however many a directory has.
  m_lstFiles = add(
      L"LISTBOX", u"",
      WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_NODATA | LBS_OWNERDRAWFIXED,
      WS_EX_CLIENTEDGE, lstFilesId, 240, 1440, 5895, 2400, m_listFont);
  m_list.attach(m_lstFiles);
  add(L"BUTTON", u"削除", button, 0, cmdDelId, 240, 3960, 1095, 615, m_formFont);
  add(L"BUTTON", u"リネーム", button, 0, cmdRenameId, 1440, 3960, 1095, 615, m_formFont);
  add(L"BUTTON", u"送信", button, 0, cmdPutId, 2640, 3960, 1095, 615, m_formFont);
  add(L"BUTTON", u"受信", button, 0, cmdGetId, 3840, 3960, 1095, 615, m_formFont);
  add(L"BUTTON", u"ディレクトリ作成", button, 0, cmdMakeDirId, 5040, 3960, 1095, 615, m_formFont);
}

ExitStatus fFTPTest::Form_Load() {
  m_list.setTabStops({std::begin(kTabStops), std::end(kTabStops)});
  m_clsFtp = MakeSession(m_dialogs);
  const ExitStatus status = m_startUp ? m_startUp(*this, *m_clsFtp) : ExitStatus::Done;
  if (m_beforeUnload) m_beforeUnload(m_lstFiles);
  Form_Unload();
  DestroyWindow(hwnd());
  return status;
}

void fFTPTest::Form_Unload() { m_clsFtp.reset(); }

void fFTPTest::showSample(const std::vector<std::u16string>& lines) {
  m_list.setTabStops({std::begin(kTabStops), std::end(kTabStops)});
  setServerText(u"ftp.example.jp");
  setUserText(u"uploader");
  setPassText(u"secret");
  for (const std::u16string& line : lines) m_list.append(line);
  m_list.select(3);
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
    // Sent while the list box is made, before it is attached.
    reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight =
        static_cast<UINT>(FileListBox::LineHeight(hwnd(), font(m_listFont)));
    return TRUE;
  }
  if (message == WM_DRAWITEM && wParam == lstFilesId) {
    m_list.draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }
  if (message == WM_SHOWWINDOW && wParam) m_list.syncCount();
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return Window::handle(message, wParam, lParam);
}

bool fFTPTest::passiveChecked() const {
  return SendMessageW(m_chkPassive, BM_GETCHECK, 0, 0) != BST_UNCHECKED;
}
