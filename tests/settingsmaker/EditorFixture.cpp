#include "tests/settingsmaker/EditorFixture.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "platform/files/Files.h"
#include "settings/ScrambleText.h"
#include "settingsmaker/Form2.h"
#include "settingsmaker/WriteSettingsFile.h"

namespace settingsmakertest {

namespace {

QLineEdit* box(const Form1& form, size_t i) {
  QLineEdit* const edits[] = {form.Text1(), form.Text2(), form.Text3(),
                              form.Text4(), form.Text5(), form.Text6()};
  return edits[i];
}

}  // namespace

void EditorFixture::SetUp() {
  m_oldWorkingDirectory = std::filesystem::current_path();
  std::filesystem::current_path(work.path());
  form = std::make_unique<Form1>(boxes, files::FromFileSystemPath(program.path()));
  form->show();
}

void EditorFixture::TearDown() {
  form.reset();
  DeleteClosedWindows();
  std::filesystem::current_path(m_oldWorkingDirectory);
}

Texts EditorFixture::texts() const {
  Texts out;
  for (size_t i = 0; i < out.size(); ++i) out[i] = box(*form, i)->text().toStdU16String();
  return out;
}

void EditorFixture::fill(const Texts& values) {
  for (size_t i = 0; i < values.size(); ++i) {
    box(*form, i)->setText(QString::fromStdU16String(values[i]));
  }
}

void EditorFixture::click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

Form2& EditorFixture::openForm2() {
  QTest::mouseDClick(form->Label3(), Qt::LeftButton);
  Form2* dialog = form->form2();
  if (dialog == nullptr) {
    ADD_FAILURE() << "the double-click on Label3 showed no Form2";
    form->Label3_DblClick();  // go on with one, so the test can still report the rest
    dialog = form->form2();
  }
  return *dialog;
}

std::vector<std::u16string> EditorFixture::asked() const {
  std::vector<std::u16string> texts;
  for (const dialogs::AskedBox& box : boxes.asked()) texts.push_back(box.text);
  return texts;
}

void EditorFixture::storeInProgramFolder(SettingsRecord record, const std::u16string& password) {
  const ScrambleResult scrambled = ScrambleText(u"set", password);
  ASSERT_TRUE(scrambled.ok);
  record.ScrambledPassword = scrambled.text;
  ASSERT_TRUE(WriteSettingsFileIn(files::FromFileSystemPath(program.path()), record).ok);
}

void DeleteClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace settingsmakertest
