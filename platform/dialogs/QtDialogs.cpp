#include "platform/dialogs/QtDialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

#include "platform/dialogs/BoxText.h"

namespace dialogs {
namespace {

QString boxText(const std::u16string& text) {
  return QString::fromStdU16String(withLineFeeds(text));
}

QMessageBox::StandardButtons standardButtons(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
      return QMessageBox::Ok;
    case Buttons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon messageIcon(Icon icon) {
  switch (icon) {
    case Icon::None:
      return QMessageBox::NoIcon;
    case Icon::Critical:
      return QMessageBox::Critical;
    case Icon::Question:
      return QMessageBox::Question;
    case Icon::Exclamation:
      return QMessageBox::Warning;
    case Icon::Information:
      return QMessageBox::Information;
  }
  return QMessageBox::NoIcon;
}

// The captions the users' Japanese system gives its boxes' buttons, whatever the locale and
// translations installed here: "OK", "キャンセル", "はい", "いいえ".
void captionButtons(QMessageBox& box) {
  const std::pair<QMessageBox::StandardButton, const char16_t*> captions[] = {
      {QMessageBox::Ok, u"OK"},
      {QMessageBox::Cancel, u"キャンセル"},
      {QMessageBox::Yes, u"はい"},
      {QMessageBox::No, u"いいえ"}};
  for (const auto& [which, caption] : captions) {
    if (QAbstractButton* button = box.button(which)) {
      button->setText(QString::fromStdU16String(caption));
    }
  }
}

BoxAnswer answerOf(QMessageBox::StandardButton button, Buttons buttons) {
  switch (button) {
    case QMessageBox::Ok:
      return BoxAnswer::Ok;
    case QMessageBox::Cancel:
      return BoxAnswer::Cancel;
    case QMessageBox::Yes:
      return BoxAnswer::Yes;
    case QMessageBox::No:
      return BoxAnswer::No;
    default:
      return closedAnswer(buttons);
  }
}

// A message box that the user cannot dismiss without a button when it has no way to say
// "no answer" (Yes/No): Qt would otherwise take No as the Escape button.
class MessageBoxWidget : public QMessageBox {
 public:
  MessageBoxWidget(Buttons buttons, QWidget* parent)
      : QMessageBox(parent), m_dismissable(buttons != Buttons::YesNo) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (!m_dismissable && event->key() == Qt::Key_Escape) return event->accept();
    QMessageBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override {
    if (!m_dismissable && event->spontaneous()) return event->ignore();
    QMessageBox::closeEvent(event);
  }

 private:
  bool m_dismissable;
};

// The one-line input box: prompt, edit, OK and Cancel.
class InputBoxWidget : public QDialog {
 public:
  InputBoxWidget(const QString& prompt, const QString& title, const QString& preset,
                 QWidget* parent)
      : QDialog(parent) {
    setWindowTitle(title);
    auto* label = new QLabel(prompt, this);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    m_edit = new QLineEdit(preset, this);
    m_edit->selectAll();
    label->setBuddy(m_edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromStdU16String(u"キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_edit);
    layout->addWidget(buttons);
    m_edit->setFocus();
  }
  QString text() const { return m_edit->text(); }

 private:
  QLineEdit* m_edit;
};

}  // namespace

BoxAnswer QtDialogs::MessageBox(const std::u16string& text, const std::u16string& title,
                                Buttons buttons, Icon icon) {
  MessageBoxWidget box(buttons, QApplication::activeWindow());
  box.setWindowTitle(QString::fromStdU16String(title));
  // Plain text: a server's reply such as "550 <name>: denied" must not be taken for markup.
  box.setTextFormat(Qt::PlainText);
  box.setText(boxText(text));
  box.setIcon(messageIcon(icon));
  box.setStandardButtons(standardButtons(buttons));
  captionButtons(box);
  box.setDefaultButton(defaultAnswer(buttons) == BoxAnswer::Ok ? QMessageBox::Ok
                                                               : QMessageBox::Yes);
  if (buttons == Buttons::Ok) box.setEscapeButton(QMessageBox::Ok);
  box.exec();
  return answerOf(box.standardButton(box.clickedButton()), buttons);
}

std::u16string QtDialogs::InputBox(const std::u16string& prompt, const std::u16string& title,
                                   const std::u16string& preset) {
  InputBoxWidget box(boxText(prompt), QString::fromStdU16String(title),
                     QString::fromStdU16String(preset), QApplication::activeWindow());
  if (box.exec() != QDialog::Accepted) return {};
  return box.text().toStdU16String();
}

}  // namespace dialogs
