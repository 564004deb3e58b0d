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

#include <QPointer>
#include <QTimer>

#include <deque>
#include <functional>

namespace dialogs {
namespace {

using B = QMessageBox;

// Calls `inspectAndClose` once, inside the box's own event loop, with the next box that becomes
// the active modal widget; it must close the box. Answers queue up and take the boxes in order.
void AnswerNextModal(std::function<void(QWidget* modal)> inspectAndClose) {
  static std::deque<std::function<void(QWidget*)>> answers;
  static QPointer<QTimer> timer;
  answers.push_back(std::move(inspectAndClose));
  if (!timer.isNull()) return;
  timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [] {
    QWidget* modal = QApplication::activeModalWidget();
    if (answers.empty() || modal == nullptr || !modal->isVisible()) return;
    const auto answer = std::move(answers.front());  // off the queue first: it may arm more
    answers.pop_front();
    answer(modal);
  });
  timer->start(10);
}

QStringList sortedCaptions(QWidget* box) {
  QStringList captions;
  for (QAbstractButton* b : box->findChildren<QAbstractButton*>()) captions.append(b->text());
  captions.sort();
  return captions;
}

TEST(QtDialogs, MessageBoxShowsPlainTextTitleIconAndJapaneseButtonsWithTheFirstAsDefault) {
  // Captions in sorted order.
  const std::tuple<Buttons, Icon, B::Icon, QStringList> sets[] = {
      {Buttons::Ok, Icon::None, B::NoIcon, {"OK"}},
      {Buttons::OkCancel, Icon::Critical, B::Critical, {"OK", "キャンセル"}},
      {Buttons::YesNo, Icon::Question, B::Question, {"いいえ", "はい"}},
      {Buttons::YesNoCancel, Icon::Exclamation, B::Warning, {"いいえ", "はい", "キャンセル"}},
      {Buttons::Ok, Icon::Information, B::Information, {"OK"}}};
  const std::pair<B::StandardButton, BoxAnswer> answers[] = {{B::Ok, BoxAnswer::Ok},
                                                             {B::Cancel, BoxAnswer::Cancel},
                                                             {B::Yes, BoxAnswer::Yes},
                                                             {B::No, BoxAnswer::No}};
  QtDialogs d;
  for (const auto& [buttons, icon, shownIcon, captions] : sets) {
    for (const auto& [press, answer] : answers) {
      bool offered = false;
      AnswerNextModal([&, press = press](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        EXPECT_EQ(box->windowTitle(), "Quillpost");
        EXPECT_EQ(box->text(), "550 <b>x</b>\n接続できませんでした");
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->icon(), shownIcon);
        EXPECT_EQ(sortedCaptions(box), captions);
        EXPECT_EQ(box->standardButton(box->defaultButton()), captions[0] == "OK" ? B::Ok : B::Yes);
        offered = box->button(press) != nullptr;
        if (offered) {
          box->button(press)->click();
        } else {
          box->close();
        }
      });
      const BoxAnswer got =
          d.MessageBox(u"550 <b>x</b>\r\n接続できませんでした", u"Quillpost", buttons, icon);
      if (offered) {
        EXPECT_EQ(got, answer);
      }
    }
  }
}

// Escape answers like the cancel button (or the only one), but cannot dismiss a Yes/No box;
// closed without a button, a Yes/No box answers No.
TEST(QtDialogs, EscapeAnswersCancelOrOkButCannotDismissYesNoWhichAnswersNoWhenClosed) {
  const std::tuple<Buttons, BoxAnswer, bool> cases[] = {
      {Buttons::OkCancel, BoxAnswer::Cancel, false},
      {Buttons::Ok, BoxAnswer::Ok, false},
      {Buttons::YesNoCancel, BoxAnswer::Cancel, false},
      {Buttons::YesNo, BoxAnswer::No, true}};
  for (const auto& [buttons, answer, staysOpen] : cases) {
    bool open = false;
    AnswerNextModal([&open](QWidget* modal) {
      QTest::keyClick(modal, Qt::Key_Escape);
      open = modal->isVisible();
      if (open) modal->close();
    });
    EXPECT_EQ(QtDialogs().MessageBox(u"t", u"T", buttons, Icon::Question), answer);
    EXPECT_EQ(open, staysOpen);
  }
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
  AnswerNextModal([&](QWidget* modal) {
    EXPECT_EQ(sortedCaptions(modal), QStringList({"OK", "キャンセル"}));
    modal->findChild<QLineEdit*>()->setText("typed");
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  EXPECT_EQ(d.InputBox(u"p", u"T", u"preset"), u"");
}

TEST(QtDialogs, BoxesAreParentedToTheActiveWindow) {
  QWidget window;
  window.show();
  QApplication::setActiveWindow(&window);
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
