// Answers real modal Qt boxes from a widget test: the test arms an answer before the code
// under test opens the box, and the answer runs inside the box's own event loop.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

namespace testsupport {

// Calls `inspectAndClose` once, with the next modal widget that becomes the active modal
// widget (QApplication::activeModalWidget()) after this call; the function records what it
// needs and must close the widget (click a button, reject, close). Polls every 10 ms while an
// event loop runs. Several answers queue up and take the boxes in order; an answer armed
// while a modal is open waits for a different one.
void AnswerNextModal(std::function<void(QWidget* modal)> inspectAndClose);

// Answers armed by AnswerNextModal whose modal has not appeared yet.
int PendingModalAnswers();

// Drops the pending answers (the Qt test main does it after every test, so that an answer a
// test armed in vain cannot take a box of the next test). Returns how many there were.
int CancelPendingModalAnswers();

// What a message box showed.
struct SeenMessageBox {
  bool seen = false;
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Answers the next modal, which must be a QMessageBox, by clicking `press`, and records what it
// showed into `*seen` (when given). A box that is no QMessageBox is rejected, with `seen`
// left unseen. When `press` is not one of its buttons, the box is closed instead.
void AnswerNextMessageBox(QMessageBox::StandardButton press, SeenMessageBox* seen = nullptr);

// What a one-line input box showed.
struct SeenInputBox {
  bool seen = false;
  QString title;
  QString prompt;  // the text of its label
  QString preset;  // the text of its line edit when it appeared
};

// Answers the next modal input box (a dialog with a QLineEdit and OK/Cancel): with a text,
// replaces the line edit's text by it and clicks OK; with std::nullopt clicks Cancel.
void AnswerNextInputBox(std::optional<QString> typed, SeenInputBox* seen = nullptr);

}  // namespace testsupport
