#include "tests/uploader/WindowFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

#include "tests/uploader/UploaderTestSupport.h"

namespace uploadertest {

void WindowFixture::SetUp() {
  server = testsupport::StartPyftpdlib();
  ASSERT_NE(server, nullptr) << testsupport::LastStartFailure();
}

void WindowFixture::TearDown() { form.reset(); }

fFTPTest& WindowFixture::window() {
  if (!form) {
    form = std::make_unique<fFTPTest>(boxes, fFTPTestOptions{U16(local.path()), FixedClock});
    form->installEventFilter(&showCounter);
  }
  return *form;
}

void WindowFixture::connectWindow(bool passive) {
  fFTPTest& w = window();
  w.txtServer()->setText(QString::fromStdString(server->address()));
  w.txtUser()->setText(QString::fromStdString(server->user()));
  w.txtPass()->setText(QString::fromStdString(server->password()));
  w.chkPassive()->setChecked(passive);
  const size_t before = boxes.asked().size();
  boxes.answerMessage(dialogs::BoxAnswer::Ok);
  w.cmdOpen()->click();
  ASSERT_EQ(boxes.asked().size(), before + 1) << server->serverOutput();
  ExpectMessage(boxes.asked().back(), u"接続が完了しました！", dialogs::Icon::Information);
}

std::vector<std::u16string> WindowFixture::lines() {
  std::vector<std::u16string> out;
  for (int i = 0; i < window().lstFiles()->count(); ++i) {
    out.push_back(window().lstFiles()->item(i)->text().toStdU16String());
  }
  return out;
}

void WindowFixture::select(const std::u16string& prefix) {
  QListWidget* list = window().lstFiles();
  for (int i = 0; i < list->count(); ++i) {
    if (list->item(i)->text().toStdU16String().rfind(prefix, 0) == 0) {
      list->setCurrentRow(i);
      return;
    }
  }
  ADD_FAILURE() << "no line begins with " << Utf8(prefix);
}

bool WindowFixture::serverGot(const std::string& prefix) const {
  const std::vector<std::string> commands = server->commands();
  return std::any_of(commands.begin(), commands.end(),
                     [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
}

void ExpectMessage(const dialogs::AskedBox& box, const std::u16string& text, dialogs::Icon icon,
                   dialogs::Buttons buttons) {
  EXPECT_EQ(box.kind, dialogs::BoxKind::Message);
  EXPECT_EQ(Utf8(box.text), Utf8(text));
  EXPECT_EQ(Utf8(box.title), "Quillpost");
  EXPECT_EQ(box.icon, icon);
  EXPECT_EQ(box.buttons, buttons);
}

void ExpectInput(const dialogs::AskedBox& box, const std::u16string& prompt,
                 const std::u16string& title, const std::u16string& preset) {
  EXPECT_EQ(box.kind, dialogs::BoxKind::Input);
  EXPECT_EQ(Utf8(box.text), Utf8(prompt));
  EXPECT_EQ(Utf8(box.title), Utf8(title));
  EXPECT_EQ(Utf8(box.preset), Utf8(preset));
}

}  // namespace uploadertest
