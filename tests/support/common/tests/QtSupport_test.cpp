// The Qt test support: a box must be recorded as it was shown (a test comparing a wrong record
// with a wrong expectation would pass), and a leaked window must fail its test.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QMessageBox>
#include <QWidget>

#include "tests/support/common/Process.h"
#include "tests/support/common/QtBoxes.h"

#ifndef QP_QT_SUPPORT_TESTS
#error "QP_QT_SUPPORT_TESTS must name this test program"
#endif

namespace testsupport {
namespace {

TEST(QtBoxes, QueuedAnswersTakeBoxesInOrderAndRecordThem) {
  SeenMessageBox first, second;
  AnswerNextMessageBox(QMessageBox::No, &first);
  AnswerNextMessageBox(QMessageBox::Ok, &second);
  EXPECT_EQ(QMessageBox::question(nullptr, "T1", "first", QMessageBox::Yes | QMessageBox::No,
                                  QMessageBox::Yes),
            QMessageBox::No);
  EXPECT_EQ(QMessageBox::warning(nullptr, "T2", "second"), QMessageBox::Ok);
  EXPECT_EQ(PendingModalAnswers(), 0);
  EXPECT_EQ(first.title, "T1");
  EXPECT_EQ(first.text, "first");
  EXPECT_EQ(first.icon, QMessageBox::Question);
  EXPECT_EQ(first.buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(first.defaultButton, QMessageBox::Yes);
  EXPECT_EQ(second.icon, QMessageBox::Warning);
  EXPECT_EQ(second.defaultButton, QMessageBox::Ok);
}

// Leaks a window on purpose; only run by the test below, in a child process.
TEST(QtTestMainProbe, LeaksTopLevelWidget) {
  if (getenv("QP_RUN_LEAK_PROBE") == nullptr) GTEST_SKIP() << "run by the test below";
  (new QWidget)->setWindowTitle("forgotten");
}

TEST(QtTestMain, FailsTestThatLeavesTopLevelWidget) {
  ProcessOptions options;
  options.setEnv = {{"QP_RUN_LEAK_PROBE", "1"}, {"QT_QPA_PLATFORM", "offscreen"}};
  const ProcessResult r =
      RunProcess({QP_QT_SUPPORT_TESTS, "--gtest_filter=QtTestMainProbe.*"}, options);
  EXPECT_NE(r.exitCode, 0);
  EXPECT_NE(r.out.find("top-level widgets left after the test: QWidget \"forgotten\""),
            std::string::npos)
      << r.out << r.err;
  EXPECT_NE(r.out.find("[  FAILED  ] QtTestMainProbe.LeaksTopLevelWidget"), std::string::npos);
}

}  // namespace
}  // namespace testsupport
