#include "tests/support/common/QtBoxes.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <deque>

namespace testsupport {
namespace {

std::deque<std::function<void(QWidget*)>> g_answers;
QPointer<QTimer> g_timer;

void poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (g_answers.empty() || modal == nullptr || !modal->isVisible()) return;
  // Taken off the queue first: the answer may arm further answers.
  const auto answer = std::move(g_answers.front());
  g_answers.pop_front();
  answer(modal);
}

}  // namespace

void AnswerNextModal(std::function<void(QWidget* modal)> inspectAndClose) {
  g_answers.push_back(std::move(inspectAndClose));
  if (g_timer.isNull()) {
    g_timer = new QTimer(qApp);
    QObject::connect(g_timer, &QTimer::timeout, poll);
    g_timer->start(10);
  }
}

int CancelPendingModalAnswers() {
  const int pending = static_cast<int>(g_answers.size());
  g_answers.clear();
  return pending;
}

}  // namespace testsupport
