// The Win32 boxes answered through their own controls, as a user would: the input box returns
// the typed text on OK and nothing on Cancel, the message box returns the button pressed and
// shows the Japanese captions.
#include "platform/dialogs/Win32Dialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/winui/WinUi.h"

namespace {

using dialogs::BoxAnswer;
using dialogs::Buttons;
using dialogs::Icon;

// Runs `answer` on the box titled `title` once it is open (from a timer of the box's own loop).
std::function<void(HWND)> g_answer;
const wchar_t* g_title = nullptr;

void CALLBACK answerWhenOpen(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = FindWindowW(nullptr, g_title);
  if (box == nullptr || !IsWindowVisible(box)) return;
  KillTimer(nullptr, id);
  g_answer(box);
}

void answerNextBox(const wchar_t* title, std::function<void(HWND)> answer) {
  g_title = title;
  g_answer = std::move(answer);
  SetTimer(nullptr, 0, 50, answerWhenOpen);
}

HWND child(HWND box, const wchar_t* className, const wchar_t* text = nullptr) {
  return FindWindowExW(box, nullptr, className, text);
}

TEST(Win32Dialogs, InputBoxGivesTheTypedTextOnOkAndNothingOnCancel) {
  dialogs::Win32Dialogs boxes;
  answerNextBox(L"保存先指定", [](HWND box) {
    HWND edit = child(box, L"EDIT");
    EXPECT_EQ(winui::WindowText(edit), u"preset");
    SetWindowTextW(edit, L"C:\\データ");
    SendMessageW(child(box, L"BUTTON", L"OK"), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(boxes.InputBox(u"保存先フォルダを指定してください。", u"保存先指定", u"preset"),
            u"C:\\データ");
  answerNextBox(L"保存先指定", [](HWND box) {
    SetWindowTextW(child(box, L"EDIT"), L"typed");
    SendMessageW(child(box, L"BUTTON", L"キャンセル"), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(boxes.InputBox(u"p", u"保存先指定", u""), u"");
}

TEST(Win32Dialogs, MessageBoxAnswersWithTheButtonPressedCaptionedInJapanese) {
  dialogs::Win32Dialogs boxes;
  answerNextBox(L"Quillpost", [](HWND box) {
    EXPECT_NE(child(box, L"Button", L"はい"), nullptr);
    SendMessageW(child(box, L"Button", L"いいえ"), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(boxes.MessageBox(u"削除します。", u"Quillpost", Buttons::YesNo, Icon::Question),
            BoxAnswer::No);
  answerNextBox(L"Quillpost", [](HWND box) {
    SendMessageW(child(box, L"Button", L"キャンセル"), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(boxes.MessageBox(u"?", u"Quillpost", Buttons::YesNoCancel, Icon::None),
            BoxAnswer::Cancel);
}

}  // namespace
