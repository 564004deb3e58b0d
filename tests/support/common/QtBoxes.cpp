#include "tests/support/common/QtBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <deque>

namespace testsupport {
namespace {

struct Answer {
  std::function<void(QWidget*)> run;
  QPointer<QWidget> openAtArming;  // a modal already open when the answer was armed
};

std::deque<Answer>& queue() {
  static std::deque<Answer> answers;
  return answers;
}

void poll();

QTimer& pollTimer() {
  static QPointer<QTimer> timer;
  if (timer.isNull()) {
    timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, poll);
  }
  return *timer;
}

void poll() {
  if (queue().empty()) {
    pollTimer().stop();
    return;
  }
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || !modal->isVisible() || modal == queue().front().openAtArming) return;
  // Taken off the queue first: the answer may arm further answers.
  Answer answer = std::move(queue().front());
  queue().pop_front();
  answer.run(modal);
}

// The button of a dialog's button box with the given role, or nullptr.
QAbstractButton* dialogButton(QWidget* dialog, QDialogButtonBox::StandardButton which) {
  for (auto* box : dialog->findChildren<QDialogButtonBox*>()) {
    if (QAbstractButton* b = box->button(which)) return b;
  }
  return nullptr;
}

}  // namespace

void AnswerNextModal(std::function<void(QWidget* modal)> inspectAndClose) {
  queue().push_back({std::move(inspectAndClose), QApplication::activeModalWidget()});
  pollTimer().start();
}

int PendingModalAnswers() { return static_cast<int>(queue().size()); }

int CancelPendingModalAnswers() {
  int n = PendingModalAnswers();
  queue().clear();
  pollTimer().stop();
  return n;
}

void AnswerNextMessageBox(QMessageBox::StandardButton press, SeenMessageBox* seen) {
  AnswerNextModal([press, seen](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box == nullptr) {
      if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
      else
        modal->close();
      return;
    }
    if (seen != nullptr) {
      seen->seen = true;
      seen->title = box->windowTitle();
      seen->text = box->text();
      seen->icon = box->icon();
      seen->buttons = box->standardButtons();
      seen->defaultButton =
          box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
    }
    if (QAbstractButton* b = box->button(press))
      b->click();
    else
      box->close();
  });
}

void AnswerNextInputBox(std::optional<QString> typed, SeenInputBox* seen) {
  AnswerNextModal([typed, seen](QWidget* modal) {
    auto* edit = modal->findChild<QLineEdit*>();
    if (seen != nullptr && edit != nullptr) {
      seen->seen = true;
      seen->title = modal->windowTitle();
      auto* label = modal->findChild<QLabel*>();
      seen->prompt = label ? label->text() : QString();
      seen->preset = edit->text();
    }
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (typed && edit != nullptr) {
      edit->setText(*typed);
      if (QAbstractButton* ok = dialogButton(modal, QDialogButtonBox::Ok))
        ok->click();
      else if (dialog)
        dialog->accept();
    } else if (QAbstractButton* cancel = dialogButton(modal, QDialogButtonBox::Cancel)) {
      cancel->click();
    } else if (dialog) {
      dialog->reject();
    } else {
      modal->close();
    }
  });
}

}  // namespace testsupport
