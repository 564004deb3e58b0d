#include "platform/dialogs/QtDialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QWidget>

#include <vector>

#include "tests/support/common/QtBoxes.h"

namespace dialogs {
namespace {

using testsupport::AnswerNextInputBox;
using testsupport::AnswerNextMessageBox;
using testsupport::AnswerNextModal;
using testsupport::SeenInputBox;
using testsupport::SeenMessageBox;

TEST(QtDialogs, MessageBoxShowsTextAsPlainTextWithTitleAndIcon) {
  SeenMessageBox seen;
  Qt::TextFormat format = Qt::AutoText;
  AnswerNextModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    format = box->textFormat();
    seen = {true, box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
    box->button(QMessageBox::Ok)->click();
  });
  QtDialogs d;
  EXPECT_EQ(d.MessageBox(u"550 <b>x</b>\r\n接続できませんでした", u"Quillpost", Buttons::Ok,
                         Icon::Critical),
            BoxAnswer::Ok);
  ASSERT_TRUE(seen.seen);
  EXPECT_EQ(seen.title, "Quillpost");
  EXPECT_EQ(seen.text, QString::fromUtf8("550 <b>x</b>\n接続できませんでした"));
  EXPECT_EQ(format, Qt::PlainText);
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.buttons, QMessageBox::Ok);
}

TEST(QtDialogs, EachIconReachesTheBox) {
  const std::vector<std::pair<Icon, QMessageBox::Icon>> icons = {
      {Icon::None, QMessageBox::NoIcon},
      {Icon::Critical, QMessageBox::Critical},
      {Icon::Question, QMessageBox::Question},
      {Icon::Exclamation, QMessageBox::Warning},
      {Icon::Information, QMessageBox::Information}};
  QtDialogs d;
  for (const auto& [icon, expected] : icons) {
    SeenMessageBox seen;
    AnswerNextMessageBox(QMessageBox::Ok, &seen);
    d.MessageBox(u"t", u"T", Buttons::Ok, icon);
    EXPECT_EQ(seen.icon, expected) << static_cast<int>(icon);
  }
}

TEST(QtDialogs, ButtonSetsHaveFirstAsDefaultAndEachAnswerMapsBack) {
  using B = QMessageBox;
  const std::pair<QMessageBox::StandardButton, BoxAnswer> answers[] = {
      {B::Ok, BoxAnswer::Ok},
      {B::Cancel, BoxAnswer::Cancel},
      {B::Yes, BoxAnswer::Yes},
      {B::No, BoxAnswer::No}};
  const std::tuple<Buttons, QMessageBox::StandardButtons, QMessageBox::StandardButton> sets[] = {
      {Buttons::Ok, B::Ok, B::Ok},
      {Buttons::OkCancel, B::Ok | B::Cancel, B::Ok},
      {Buttons::YesNo, B::Yes | B::No, B::Yes},
      {Buttons::YesNoCancel, B::Yes | B::No | B::Cancel, B::Yes}};
  QtDialogs d;
  for (const auto& [buttons, shown, defaultButton] : sets) {
    for (const auto& [press, answer] : answers) {
      if (!shown.testFlag(press)) continue;
      SeenMessageBox seen;
      AnswerNextMessageBox(press, &seen);
      EXPECT_EQ(d.MessageBox(u"t", u"T", buttons, Icon::Question), answer);
      EXPECT_EQ(seen.buttons, shown);
      EXPECT_EQ(seen.defaultButton, defaultButton);
    }
  }
}

// Reads the captions of the next modal's buttons, sorted, then presses one of them.
void readCaptionsAndPressOne(QStringList* captions) {
  AnswerNextModal([=](QWidget* modal) {
    const QList<QAbstractButton*> buttons = modal->findChildren<QAbstractButton*>();
    for (QAbstractButton* button : buttons) captions->append(button->text());
    captions->sort();
    if (!buttons.isEmpty()) buttons.front()->click();
  });
}

TEST(QtDialogs, ButtonsReadAsOnAJapaneseSystemWhateverTheLocale) {
  // Qt's own captions would be English here ("&Yes") and follow the translations installed.
  QtDialogs d;
  const std::pair<Buttons, QStringList> sets[] = {
      {Buttons::Ok, {"OK"}},
      {Buttons::OkCancel, {"OK", QString::fromUtf8("キャンセル")}},
      {Buttons::YesNo, {QString::fromUtf8("はい"), QString::fromUtf8("いいえ")}},
      {Buttons::YesNoCancel,
       {QString::fromUtf8("はい"), QString::fromUtf8("いいえ"), QString::fromUtf8("キャンセル")}}};
  for (const auto& [buttons, expected] : sets) {
    QStringList captions, wanted = expected;
    readCaptionsAndPressOne(&captions);
    d.MessageBox(u"t", u"T", buttons, Icon::None);
    wanted.sort();
    EXPECT_EQ(captions, wanted);
  }
  QStringList captions;
  readCaptionsAndPressOne(&captions);
  d.InputBox(u"p", u"T", u"");
  EXPECT_EQ(captions, QStringList({"OK", QString::fromUtf8("キャンセル")}));
}

// Presses Escape in the next box; when the box stays open, clicks `fallback`.
void pressEscapeThen(QMessageBox::StandardButton fallback, bool* stayedOpen) {
  AnswerNextModal([=](QWidget* modal) {
    QTest::keyClick(modal, Qt::Key_Escape);
    *stayedOpen = modal->isVisible();
    if (*stayedOpen) qobject_cast<QMessageBox*>(modal)->button(fallback)->click();
  });
}

TEST(QtDialogs, EscapeAnswersCancelOrOkButCannotDismissYesNo) {
  QtDialogs d;
  bool open = false;
  pressEscapeThen(QMessageBox::Ok, &open);
  EXPECT_EQ(d.MessageBox(u"t", u"T", Buttons::OkCancel, Icon::None), BoxAnswer::Cancel);
  EXPECT_FALSE(open);
  pressEscapeThen(QMessageBox::Ok, &open);
  EXPECT_EQ(d.MessageBox(u"t", u"T", Buttons::Ok, Icon::None), BoxAnswer::Ok);
  EXPECT_FALSE(open);
  pressEscapeThen(QMessageBox::Yes, &open);
  EXPECT_EQ(d.MessageBox(u"t", u"T", Buttons::YesNoCancel, Icon::None), BoxAnswer::Cancel);
  EXPECT_FALSE(open);
  pressEscapeThen(QMessageBox::Yes, &open);
  EXPECT_EQ(d.MessageBox(u"delete?", u"T", Buttons::YesNo, Icon::Question), BoxAnswer::Yes);
  EXPECT_TRUE(open) << "Escape dismissed a Yes/No box";
}

TEST(QtDialogs, YesNoBoxClosedByProgramAnswersNo) {
  QtDialogs d;
  AnswerNextModal([](QWidget* modal) { modal->close(); });
  EXPECT_EQ(d.MessageBox(u"delete?", u"T", Buttons::YesNo, Icon::Question), BoxAnswer::No);
}

TEST(QtDialogs, InputBoxShowsPromptTitleAndPresetAndReturnsTyped) {
  QtDialogs d;
  SeenInputBox seen;
  AnswerNextInputBox(QString::fromUtf8("新しい名前.txt"), &seen);
  EXPECT_EQ(d.InputBox(u"新しいファイル名を入力してください。", u"ファイル名の変更", u"a <b>.txt"),
            u"新しい名前.txt");
  ASSERT_TRUE(seen.seen);
  EXPECT_EQ(seen.title, QString::fromUtf8("ファイル名の変更"));
  EXPECT_EQ(seen.prompt, QString::fromUtf8("新しいファイル名を入力してください。"));
  EXPECT_EQ(seen.preset, "a <b>.txt");

  // OK without typing keeps the preset; the prompt is plain text with line breaks.
  Qt::TextFormat format = Qt::AutoText;
  QString label;
  AnswerNextModal([&](QWidget* modal) {
    label = modal->findChild<QLabel*>()->text();
    format = modal->findChild<QLabel*>()->textFormat();
    QTest::keyClick(modal->findChild<QLineEdit*>(), Qt::Key_Return);
  });
  EXPECT_EQ(d.InputBox(u"<i>one</i>\r\ntwo", u"T", u"kept"), u"kept");
  EXPECT_EQ(label, "<i>one</i>\ntwo");
  EXPECT_EQ(format, Qt::PlainText);
}

TEST(QtDialogs, InputBoxCancelEscapeAndCloseGiveEmptyText) {
  QtDialogs d;
  AnswerNextInputBox(std::nullopt);
  EXPECT_EQ(d.InputBox(u"p", u"T", u"preset"), u"");
  AnswerNextModal([](QWidget* modal) {
    modal->findChild<QLineEdit*>()->setText("typed");
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  EXPECT_EQ(d.InputBox(u"p", u"T", u"preset"), u"");
  AnswerNextModal([](QWidget* modal) { modal->close(); });
  EXPECT_EQ(d.InputBox(u"p", u"T", u"preset"), u"");
}

TEST(QtDialogs, BoxesAreParentedToActiveWindow) {
  QWidget window;
  window.setWindowTitle("main");
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_EQ(QApplication::activeWindow(), &window);
  QWidget* parent = nullptr;
  AnswerNextModal([&](QWidget* modal) {
    parent = modal->parentWidget();
    modal->close();
  });
  QtDialogs().MessageBox(u"t", u"T", Buttons::Ok, Icon::None);
  EXPECT_EQ(parent, &window);
}

}  // namespace
}  // namespace dialogs
