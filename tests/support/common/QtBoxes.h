// Answers real modal Qt boxes from a widget test: the test arms an answer before the code
// under test opens the box, and the answer runs inside the box's own event loop.
#pragma once

#include <QWidget>

#include <functional>

namespace testsupport {

// Calls `inspectAndClose` once, with the next modal widget that becomes the active modal
// widget (QApplication::activeModalWidget()) after this call; the function records what it
// needs and must close the widget (click a button, reject, close). Polls every 10 ms while an
// event loop runs. Several answers queue up and take the boxes in order.
void AnswerNextModal(std::function<void(QWidget* modal)> inspectAndClose);

// Drops the answers whose box has not appeared (the Qt test main does it after every test, so
// that an answer a test armed in vain cannot take a box of the next test). Returns how many
// there were.
int CancelPendingModalAnswers();

}  // namespace testsupport
