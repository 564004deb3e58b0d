// The real Qt boxes, answered through their widgets: what reaches the screen and what each way
// of closing a box answers.
#include "platform/dialogs/QtDialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include "tests/support/common/QtBoxes.h"

namespace dialogs {
namespace {

using testsupport::AnswerNextModal;
using B = QMessageBox;

TEST(QtDialogs, MessageBoxShowsPlainTextTitleIconAndJapaneseButtonsWithTheFirstAsDefault) {
  const std::tuple<Buttons, Icon, B::Icon, QStringList> sets[] = {
      {Buttons::Ok, Icon::None, B::NoIcon, {"OK"}},
      {Buttons::OkCancel, Icon::Critical, B::Critical, {"OK", "キャンセル"}},
      {Buttons::YesNo, Icon::Question, B::Question, {"はい", "いいえ"}},
      {Buttons::YesNoCancel, Icon::Exclamation, B::Warning, {"はい", "いいえ", "キャンセル"}},
      {Buttons::Ok, Icon::Information, B::Information, {"OK"}}};
  const std::pair<B::StandardButton, BoxAnswer> answers[] = {{B::Ok, BoxAnswer::Ok},
                                                             {B::Cancel, BoxAnswer::Cancel},
                                                             {B::Yes, BoxAnswer::Yes},
                                                             {B::No, BoxAnswer::No}};
  QtDialogs d;
  for (const auto& [buttons, icon, shownIcon, captions] : sets) {
    for (const auto& [press, answer] : answers) {
      QStringList seen;
      B::StandardButton defaultButton = B::NoButton;
      bool asked = false;
      AnswerNextModal([&, press = press](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        EXPECT_EQ(box->windowTitle(), "Quillpost");
        EXPECT_EQ(box->text(), "550 <b>x</b>\n接続できませんでした");
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->icon(), shownIcon);
        for (QAbstractButton* b : box->buttons()) seen.append(b->text());
        defaultButton = box->standardButton(box->defaultButton());
        asked = box->button(press) != nullptr;
        if (asked) {
          box->button(press)->click();
        } else {
          box->close();
        }
      });
      const BoxAnswer got =
          d.MessageBox(u"550 <b>x</b>\r\n接続できませんでした", u"Quillpost", buttons, icon);
      if (!asked) continue;
      EXPECT_EQ(got, answer);
      EXPECT_EQ(defaultButton, captions[0] == "OK" ? B::Ok : B::Yes);
      seen.sort();
      QStringList expected = captions;
      expected.sort();
      EXPECT_EQ(seen, expected);
    }
  }
}

// Presses Escape in the next box; when the box stays open, clicks `fallback`.
void pressEscapeThen(QMessageBox::StandardButton fallback, bool* stayedOpen) {
  AnswerNextModal([=](QWidget* modal) {
    QTest::keyClick(modal, Qt::Key_Escape);
    *stayedOpen = modal->isVisible();
    if (*stayedOpen) qobject_cast<QMessageBox*>(modal)->button(fallback)->click();
  });
}

TEST(QtDialogs, EscapeAnswersCancelOrOkButCannotDismissYesNoWhichAnswersNoWhenClosed) {
  QtDialogs d;
  bool open = false;
  const std::tuple<Buttons, BoxAnswer, B::StandardButton> dismissable[] = {
      {Buttons::OkCancel, BoxAnswer::Cancel, B::Ok},
      {Buttons::Ok, BoxAnswer::Ok, B::Ok},
      {Buttons::YesNoCancel, BoxAnswer::Cancel, B::Yes}};
  for (const auto& [buttons, answer, fallback] : dismissable) {
    pressEscapeThen(fallback, &open);
    EXPECT_EQ(d.MessageBox(u"t", u"T", buttons, Icon::None), answer);
    EXPECT_FALSE(open);
  }
  pressEscapeThen(B::Yes, &open);
  EXPECT_EQ(d.MessageBox(u"delete?", u"T", Buttons::YesNo, Icon::Question), BoxAnswer::Yes);
  EXPECT_TRUE(open) << "Escape dismissed a Yes/No box";
  AnswerNextModal([](QWidget* modal) { modal->close(); });
  EXPECT_EQ(d.MessageBox(u"delete?", u"T", Buttons::YesNo, Icon::Question), BoxAnswer::No);
}

TEST(QtDialogs, InputBoxShowsPromptTitleAndPresetAndOnlyOkGivesText) {
  QtDialogs d;
  QString seen;
  AnswerNextModal([&](QWidget* modal) {
    auto* label = modal->findChild<QLabel*>();
    seen = modal->windowTitle() + "|" + label->text() + "|" +
           modal->findChild<QLineEdit*>()->text() + "|" +
           (label->textFormat() == Qt::PlainText ? "plain" : "rich");
    QTest::keyClick(modal->findChild<QLineEdit*>(), Qt::Key_Return);  // OK, the preset kept
  });
  EXPECT_EQ(d.InputBox(u"<i>新しい名前</i>\r\nを入力", u"ファイル名の変更", u"a <b>.txt"),
            u"a <b>.txt");
  EXPECT_EQ(seen, "ファイル名の変更|<i>新しい名前</i>\nを入力|a <b>.txt|plain");
  testsupport::AnswerNextInputBox(QString("typed"));
  EXPECT_EQ(d.InputBox(u"p", u"T", u"preset"), u"typed");
  QStringList captions;
  testsupport::AnswerNextModal([&](QWidget* modal) {
    for (QAbstractButton* b : modal->findChildren<QAbstractButton*>()) captions.append(b->text());
    modal->findChild<QLineEdit*>()->setText("typed");
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  EXPECT_EQ(d.InputBox(u"p", u"T", u"preset"), u"");
  captions.sort();
  EXPECT_EQ(captions, QStringList({"OK", "キャンセル"}));
  testsupport::AnswerNextInputBox(std::nullopt);
  EXPECT_EQ(d.InputBox(u"p", u"T", u"preset"), u"");
  AnswerNextModal([](QWidget* modal) { modal->close(); });
  EXPECT_EQ(d.InputBox(u"p", u"T", u"preset"), u"");
}

TEST(QtDialogs, BoxesAreParentedToTheActiveWindow) {
  QWidget window;
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
