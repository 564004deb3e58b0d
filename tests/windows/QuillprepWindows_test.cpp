// Quillprep.exe under wine, driven through its controls from another process as a user would:
// the boxes filled, the buttons clicked (BM_CLICK), the message boxes answered by their buttons.
// The write button writes Quillpst.dat byte for byte, the others clear, load and fill the
// boxes; the recovery dialog runs only on its button (Enter in its box does nothing), and the
// program runs until both its windows are closed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/winui/Win32.h"
#include "settingsmaker/PasswordRecovery.h"
#include "tests/support/common/TempDir.h"
#include "tests/windows/Win32TestSupport.h"

namespace {

using wintest::ChildrenOf;
using wintest::ControlOf;
using wintest::TextOf;
using wintest::WaitForWindow;

constexpr DWORD kWait = 20000;  // ms for a window or an answer to show

// Quillprep.exe copied into a fresh folder, started there (so that it writes and reads
// Quillpst.dat in the same folder), its editor shown.
class Quillprep {
 public:
  explicit Quillprep(const std::string& settings = {}) {
    const std::wstring folder = wintest::WidePath(m_folder.path());
    const std::wstring exe = folder + L"\\Quillprep.exe";
    CopyFileW(QP_QUILLPREP_EXE, exe.c_str(), FALSE);
    if (!settings.empty()) testsupport::WriteFile(m_folder.file("Quillpst.dat"), settings);
    m_child = std::make_unique<wintest::Child>(exe, L"", folder, folder + L"\\output.txt");
    form1 = WaitForWindow(L"Form1", nullptr, m_child->id(), kWait);
  }
  wintest::Child& process() { return *m_child; }
  std::string file(const std::string& name) const {
    return testsupport::ReadFile(m_folder.file(name));
  }
  // The six boxes Text1 to Text6 of a window, in the order they were made.
  static std::vector<HWND> boxesOf(HWND window) {
    std::vector<HWND> boxes;
    for (HWND c : ChildrenOf(window)) {
      wchar_t name[16] = {};
      GetClassNameW(c, name, 16);
      if (std::wstring(name) == L"Edit") boxes.push_back(c);
    }
    return boxes;
  }
  // The message box of the program titled `title`: its text, after pressing `button`.
  std::u16string answer(const wchar_t* title, const wchar_t* button) {
    HWND box = WaitForWindow(L"#32770", title, m_child->id(), kWait);
    if (box == nullptr) return u"(no box)";
    std::u16string text;
    for (HWND c : ChildrenOf(box)) {
      wchar_t name[16] = {};
      GetClassNameW(c, name, 16);
      if (std::wstring(name) == L"Static") text += TextOf(c);
    }
    PostMessageW(ControlOf(box, L"Button", button), BM_CLICK, 0, 0);
    wintest::WaitHidden(box, kWait);
    return text;
  }
  // Waits until a posted click reached its handler: until `box` holds `text`.
  static bool waitText(HWND box, const std::u16string& text) {
    for (int i = 0; i < 400 && TextOf(box) != text; ++i) Sleep(50);
    return TextOf(box) == text;
  }

  HWND form1 = nullptr;

 private:
  testsupport::TempDir m_folder;
  std::unique_ptr<wintest::Child> m_child;
};

void click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void setText(HWND box, const wchar_t* text) {
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

TEST(QuillprepWindows, TheButtonsWriteClearLoadAndFillTheBoxes) {
  Quillprep program;
  ASSERT_NE(program.form1, nullptr);
  const std::vector<HWND> boxes = Quillprep::boxesOf(program.form1);
  ASSERT_EQ(boxes.size(), 6u);
  setText(boxes[0], L"127.0.0.1:2121");
  setText(boxes[1], L"tester");
  setText(boxes[2], L"pw");
  setText(boxes[3], L"/受信");
  setText(boxes[4], L"C:\\data\\日報.csv");
  click(ControlOf(program.form1, L"Button", L"ファイル名送信時刻化"));
  ASSERT_TRUE(Quillprep::waitText(boxes[5], u"NowDateMode"));

  click(ControlOf(program.form1, L"Button", L"Quillpst.dat 作成"));
  EXPECT_EQ(program.answer(L"Quillpst.dat作成", L"はい"), u"Quillpst.datを作成しますか？");
  EXPECT_EQ(program.answer(L"Quillprep", L"OK"),
            u"Quillpst.datを作成しました\r\nQuillpost.exeと同じﾌｫﾙﾀﾞに配置してください");
  // Six quoted values in code page 932, the password scrambled ("pw" less 15 a character), the
  // line twice.
  const std::string line =
      "\"127.0.0.1:2121\",\"tester\",\"ah\",\"/\x8e\xf3\x90M\",\"C:\\data\\\x93\xfa\x95\xf1.csv\","
      "\"NowDateMode\"\r\n";
  EXPECT_EQ(program.file("Quillpst.dat"), line + line);

  click(ControlOf(program.form1, L"Button", L"クリア"));
  for (HWND box : boxes) EXPECT_TRUE(Quillprep::waitText(box, u""));
  click(ControlOf(program.form1, L"Button", L"Quillpst.dat 読込"));
  EXPECT_TRUE(Quillprep::waitText(boxes[3], u"/受信"));
  EXPECT_EQ(TextOf(boxes[0]), u"127.0.0.1:2121");
  EXPECT_EQ(TextOf(boxes[2]), u"**");  // the stored password masked
  EXPECT_EQ(TextOf(boxes[4]), u"C:\\data\\日報.csv");
  click(ControlOf(program.form1, L"Button", L"記入例"));
  EXPECT_TRUE(Quillprep::waitText(boxes[1], u"zorvi"));
  EXPECT_EQ(TextOf(boxes[5]), u"test.txt");
}

TEST(QuillprepWindows, TheDialogDecodesOnlyOnItsButtonAndKeepsTheProgramRunningAfterForm1) {
  // "secret" stored, scrambled.
  const std::string line = "\"s\",\"u\",\"dVTcVe\",\"\",\"a\",\"b\"\r\n";
  Quillprep program(line + line);
  ASSERT_NE(program.form1, nullptr);
  const DWORD pid = program.process().id();
  HWND label = ControlOf(program.form1, L"Static", L"パスワード");
  PostMessageW(label, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
  HWND form2 = WaitForWindow(L"Form2", L"パスワード解読オプション", pid, kWait);
  ASSERT_NE(form2, nullptr);
  HWND phrase = ControlOf(form2, L"Edit");
  setText(phrase, L"wrong");
  // Enter in the box, then a click on Form1 behind it: once that is handled, so is the Enter.
  PostMessageW(phrase, WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(phrase, WM_KEYUP, VK_RETURN, 0xC0000001);
  HWND text6 = Quillprep::boxesOf(program.form1).at(5);
  click(ControlOf(program.form1, L"Button", L"ファイル名送信時刻化"));
  ASSERT_TRUE(Quillprep::waitText(text6, u"NowDateMode"));
  EXPECT_EQ(WaitForWindow(L"#32770", nullptr, pid, 0), nullptr);  // no "残念でした。"
  EXPECT_TRUE(IsWindowVisible(form2));
  // The button decodes: a wrong phrase is told and closes the dialog.
  click(ControlOf(form2, L"Button", L"解読"));
  EXPECT_EQ(program.answer(L"Quillprep", L"OK"), u"残念でした。");
  EXPECT_TRUE(wintest::WaitGone(form2, kWait));  // closed, and deleted by Form1

  // The right phrase puts the stored password into Form1's Text3 and closes the dialog.
  PostMessageW(label, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
  form2 = WaitForWindow(L"Form2", L"パスワード解読オプション", pid, kWait);
  ASSERT_NE(form2, nullptr);
  setText(ControlOf(form2, L"Edit"), reinterpret_cast<const wchar_t*>(kAccessPhrase));
  click(ControlOf(form2, L"Button", L"解読"));
  EXPECT_TRUE(Quillprep::waitText(Quillprep::boxesOf(program.form1).at(2), u"secret"));
  EXPECT_TRUE(wintest::WaitGone(form2, kWait));  // closed, and deleted by Form1

  // Form1 closed while the dialog is open: the program runs on until the dialog is closed too.
  PostMessageW(label, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
  form2 = WaitForWindow(L"Form2", L"パスワード解読オプション", pid, kWait);
  ASSERT_NE(form2, nullptr);
  PostMessageW(program.form1, WM_CLOSE, 0, 0);
  EXPECT_TRUE(wintest::WaitHidden(program.form1, kWait));
  // Long enough for a program that ended with Form1 to have gone (hiding a window may wait 2 s
  // for a window manager that Xvfb lacks).
  EXPECT_EQ(program.process().waitExit(3000), std::nullopt);
  EXPECT_TRUE(IsWindowVisible(form2));
  PostMessageW(form2, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.process().waitExit(kWait), std::optional<DWORD>(0));
}

}  // namespace
