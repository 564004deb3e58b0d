#include "settingsmaker/win32/Forms.h"

#include <utility>

#include "settingsmaker/PasswordRecovery.h"

namespace {

// The font both forms are laid out for: the proportional Gothic, 11 pixels at 96 dpi.
constexpr wchar_t kFormFontName[] = L"ＭＳ Ｐゴシック";
constexpr int kFormFontTenths = 83;

constexpr DWORD kTextBox = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
// Captions on one line, as the layout sizes them.
constexpr DWORD kLabel = SS_LEFTNOWORDWRAP;

}  // namespace

Form2::Form2(dialogs::Dialogs& dialogs, std::u16string programFolder, Form1& form1)
    : m_dialogs(dialogs), m_programFolder(std::move(programFolder)), m_form1(form1) {
  create(L"Form2", u"パスワード解読オプション", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 4110,
         1365);
  const int font = addFont(kFormFontName, kFormFontTenths);
  // Made in tab index order, so the focus chain follows it.
  m_Text1 = addControl(L"EDIT", u"", kTextBox, WS_EX_CLIENTEDGE, Text1Id, {210, 420, 3690, 330},
                       font);  // the phrase shows as typed
  addControl(L"BUTTON", u"解読", kButton, 0, Command1Id, {210, 840, 3690, 435}, font);
  addControl(L"STATIC", u"解読用パスワードを入力し解読のボタンをクリック", kLabel, 0, Label1Id,
             {210, 105, 3900, 225}, font);
  layOut();
  centreOnScreen();
}

void Form2::Command1_Click() {
  const RecoveryResult result =
      RecoverStoredPassword(winui::WindowText(m_Text1), m_dialogs, m_programFolder);
  if (result.password) m_form1.setText(Box::Text3, *result.password);
  if (result.closeDialog) PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void Form2::onCommand(int id, int) {
  // The click on Command1 only: Enter in Text1 (which the message loop turns into IDOK) and
  // Escape (IDCANCEL) do nothing, as the form has no default or cancel button.
  if (id == Command1Id) Command1_Click();
}

LRESULT Form2::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    // Form1 deletes this window, and the typed phrase with it, once this message is handled.
    // Told before the window hides (which may wait for the window system): a double-click on
    // the label that comes meanwhile then opens a new dialog rather than this closing one.
    PostMessageW(m_form1.hwnd(), Form1::kForm2ClosedMessage, 0, 0);
    ShowWindow(hwnd(), SW_HIDE);
    return 0;
  }
  return Window::handle(message, wParam, lParam);
}

Form1::Form1(dialogs::Dialogs& dialogs, std::u16string programFolder)
    : m_dialogs(dialogs), m_programFolder(std::move(programFolder)) {
  create(L"Form1", u"Quillprep(Quillpst.dat作成)",
         WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 5130, 4005);
  m_font = addFont(kFormFontName, kFormFontTenths);
  createControls();
  layOut();
  centreOnScreen();
}

Form1::~Form1() {
  m_form2.reset();
  if (hwnd()) DestroyWindow(hwnd());
}

void Form1::createControls() {
  auto text = [&](int index, int left, int top) {
    m_text[index] = addControl(L"EDIT", u"", kTextBox, WS_EX_CLIENTEDGE, Text1Id + index,
                               {left, top, 3165, 330}, m_font);
  };
  auto label = [&](int index, const char16_t* caption, int top, int width) {
    // SS_NOTIFY: the password label reports double-clicks.
    addControl(L"STATIC", caption, kLabel | SS_NOTIFY, 0, Label1Id + index, {105, top, width, 330},
               m_font);
  };
  auto button = [&](int index, const char16_t* caption, int left, int top, int width) {
    addControl(L"BUTTON", caption, kButton, 0, Command1Id + index, {left, top, width, 540}, m_font);
  };
  // Made in tab index order: the focus chain follows it.
  button(1, u"ファイル名送信時刻化", 2625, 2730, 2430);
  text(0, 1785, 105);
  text(1, 1785, 525);
  text(2, 1785, 945);
  text(3, 1785, 1365);
  label(0, u"サーバー名", 210, 1590);
  label(1, u"ユーザーＩＤ", 630, 1590);
  label(2, u"パスワード", 1050, 1590);
  label(3, u"初期ディレクトリ", 1470, 1590);
  label(4, u"ローカルファイルパス", 1890, 1800);
  text(4, 1785, 1785);
  label(5, u"送信後ファイル名", 2310, 1590);
  text(5, 1785, 2205);
  button(2, u"記入例", 2625, 3360, 1170);
  button(0, u"Quillpst.dat 作成", 105, 2730, 2430);
  button(3, u"クリア", 3885, 3360, 1170);
  button(4, u"Quillpst.dat 読込", 105, 3360, 2430);
}

std::u16string Form1::text(Box box) const {
  return winui::WindowText(m_text[static_cast<int>(box)]);
}

void Form1::setText(Box box, const std::u16string& text) {
  winui::SetText(m_text[static_cast<int>(box)], text);
}

void Form1::Label3_DblClick() {
  if (!m_form2) m_form2 = std::make_unique<Form2>(m_dialogs, m_programFolder, *this);
  ShowWindow(m_form2->hwnd(), SW_RESTORE);
  ShowWindow(m_form2->hwnd(), SW_SHOW);
  SetForegroundWindow(m_form2->hwnd());
}

void Form1::onCommand(int id, int code) {
  switch (id) {
    case Command1Id:
      return WriteFromBoxes(*this, m_dialogs);
    case Command1Id + 1:
      return SetNowDateMode(*this);
    case Command1Id + 2:
      return FillExampleValues(*this);
    case Command1Id + 3:
      return ClearBoxes(*this);
    case Command1Id + 4:
      return LoadIntoBoxes(*this, m_dialogs, m_programFolder);
    case Label1Id + 2:
      if (code == STN_DBLCLK) Label3_DblClick();
      return;
    default:
      return;
  }
}

void Form1::quitWhenAllClosed() {
  if (m_closed && !m_form2) PostQuitMessage(0);
}

LRESULT Form1::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    // Closed, not destroyed: an open Form2 still writes its password into Text3, and the
    // program runs until that window is closed too.
    ShowWindow(hwnd(), SW_HIDE);
    m_closed = true;
    quitWhenAllClosed();
    return 0;
  }
  if (message == kForm2ClosedMessage) {
    m_form2.reset();
    quitWhenAllClosed();
    return 0;
  }
  return Window::handle(message, wParam, lParam);
}
