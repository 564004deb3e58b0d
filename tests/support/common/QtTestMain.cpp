// main() for GoogleTest binaries that test Qt widgets. Runs offscreen unless QT_QPA_PLATFORM
// says otherwise, and fails any test that leaves a top-level widget behind (a window or box
// that was never deleted), as Qt's own widget tests check.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <cstdio>
#include <string>

namespace {

bool g_widgetsLeft = false;

// Deletes what deleteLater() queued, then returns a description of the top-level widgets
// still alive ("" when there are none).
std::string describeTopLevelWidgets() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  std::string names;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    names += std::string(names.empty() ? "" : ", ") + w->metaObject()->className() + " \"" +
             w->windowTitle().toStdString() + "\"";
  }
  return names;
}

class TopLevelCheck : public testing::EmptyTestEventListener {
  void OnTestEnd(const testing::TestInfo&) override {
    std::string left = describeTopLevelWidgets();
    if (left.empty()) return;
    g_widgetsLeft = true;
    // End listeners run before the result printer, so the failure shows with this test.
    ADD_FAILURE() << "top-level widgets left after the test: " << left;
    // Deleting a window also deletes the top-level widgets parented to it.
    QList<QPointer<QWidget>> widgets;
    for (QWidget* w : QApplication::topLevelWidgets()) widgets.append(w);
    for (const auto& w : widgets) delete w.data();
  }
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new TopLevelCheck);
  int status = RUN_ALL_TESTS();
  return status != 0 ? status : (g_widgetsLeft ? 1 : 0);
}
