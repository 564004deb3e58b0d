// The two windows as they open: places, captions, titles, sizes, tab order, boxes, centring.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <vector>

#include "platform/dialogs/ScriptedDialogs.h"
#include "settingsmaker/Form1.h"
#include "settingsmaker/Form2.h"

namespace settingsmakertest {
namespace {

struct Expected {
  QWidget* widget;
  const char16_t* caption;
  int left, top, width, height;  // twips
};

// Labels, buttons and boxes all name their caption or content "text".
QString captionOf(const QWidget* widget) { return widget->property("text").toString(); }

void expectControls(QWidget& window, const std::vector<Expected>& controls) {
  for (const Expected& c : controls) {
    SCOPED_TRACE(captionOf(c.widget).toStdString());
    EXPECT_EQ(c.widget->parentWidget(), &window);
    EXPECT_EQ(c.widget->geometry(), QRect(c.left / 15, c.top / 15, c.width / 15, c.height / 15));
    EXPECT_EQ(captionOf(c.widget), QString::fromStdU16String(c.caption));
    // Every caption shows whole: a label's text, a button's text inside its frame.
    const QSize text = c.widget->fontMetrics().size(0, captionOf(c.widget));
    if (qobject_cast<QLabel*>(c.widget)) {
      EXPECT_LE(c.widget->sizeHint().width(), c.widget->width());
      EXPECT_LE(c.widget->sizeHint().height(), c.widget->height());
    }
    if (qobject_cast<QPushButton*>(c.widget)) {
      EXPECT_LE(text.width() + 8, c.widget->width());
      EXPECT_LE(text.height() + 8, c.widget->height());
    }
    if (auto* edit = qobject_cast<QLineEdit*>(c.widget)) {
      EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);
      EXPECT_GE(edit->maxLength(), 1 << 30);  // no limit of its own
      EXPECT_FALSE(edit->isReadOnly());
    }
  }
}

// The focusable controls in focus-chain order, starting at `first`.
std::vector<QWidget*> focusChain(QWidget* first, size_t count) {
  std::vector<QWidget*> chain;
  QWidget* widget = first;
  do {
    if (widget->focusPolicy() & Qt::TabFocus) chain.push_back(widget);
    widget = widget->nextInFocusChain();
  } while (widget != first && chain.size() <= count);
  return chain;
}

void expectCentred(const QWidget& window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  const QPoint centre = screen->availableGeometry().center();
  const QPoint mine = QRect(window.pos(), window.size()).center();
  EXPECT_LE((mine - centre).manhattanLength(), 2);
}

TEST(FormsLayout, EditorControlsStandAtTheirPlacesInTabOrder) {
  dialogs::ScriptedDialogs boxes;
  Form1 w(boxes, u"/nowhere");
  EXPECT_EQ(w.windowTitle().toStdU16String(), u"Quillprep(Quillpst.dat作成)");
  EXPECT_EQ(w.size(), QSize(342, 267));
  expectCentred(w);
  expectControls(w, {
                        {w.Label1(), u"サーバー名", 105, 210, 1590, 330},
                        {w.Text1(), u"", 1785, 105, 3165, 330},
                        {w.Label2(), u"ユーザーＩＤ", 105, 630, 1590, 330},
                        {w.Text2(), u"", 1785, 525, 3165, 330},
                        {w.Label3(), u"パスワード", 105, 1050, 1590, 330},
                        {w.Text3(), u"", 1785, 945, 3165, 330},
                        {w.Label4(), u"初期ディレクトリ", 105, 1470, 1590, 330},
                        {w.Text4(), u"", 1785, 1365, 3165, 330},
                        {w.Label5(), u"ローカルファイルパス", 105, 1890, 1800, 330},
                        {w.Text5(), u"", 1785, 1785, 3165, 330},
                        {w.Label6(), u"送信後ファイル名", 105, 2310, 1590, 330},
                        {w.Text6(), u"", 1785, 2205, 3165, 330},
                        {w.Command1(), u"Quillpst.dat 作成", 105, 2730, 2430, 540},
                        {w.Command2(), u"ファイル名送信時刻化", 2625, 2730, 2430, 540},
                        {w.Command5(), u"Quillpst.dat 読込", 105, 3360, 2430, 540},
                        {w.Command3(), u"記入例", 2625, 3360, 1170, 540},
                        {w.Command4(), u"クリア", 3885, 3360, 1170, 540},
                    });
  const std::vector<QWidget*> order = {w.Command2(), w.Text1(),    w.Text2(),   w.Text3(),
                                       w.Text4(),    w.Text5(),    w.Text6(),   w.Command3(),
                                       w.Command1(), w.Command4(), w.Command5()};
  EXPECT_EQ(focusChain(order[0], order.size()), order);
  // Label5 reaches under Text5, which stays on top of it.
  EXPECT_GT(w.children().indexOf(w.Text5()), w.children().indexOf(w.Label5()));
  EXPECT_EQ(w.form2(), nullptr);
}

TEST(FormsLayout, RecoveryDialogControlsStandAtTheirPlacesInTabOrder) {
  dialogs::ScriptedDialogs boxes;
  QLineEdit target;
  auto* w = new Form2(boxes, u"/nowhere", &target);
  EXPECT_EQ(w->windowTitle().toStdU16String(), u"パスワード解読オプション");
  EXPECT_EQ(w->size(), QSize(274, 91));
  EXPECT_TRUE(w->testAttribute(Qt::WA_DeleteOnClose));
  expectCentred(*w);
  expectControls(
      *w, {
              {w->Label1(), u"解読用パスワードを入力し解読のボタンをクリック", 210, 105, 3900, 225},
              {w->Text1(), u"", 210, 420, 3690, 330},
              {w->Command1(), u"解読", 210, 840, 3690, 435},
          });
  const std::vector<QWidget*> order = {w->Text1(), w->Command1()};
  EXPECT_EQ(focusChain(order[0], order.size()), order);
  delete w;
}

}  // namespace
}  // namespace settingsmakertest
