// The Qt test main: a leaked window must fail its test.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QWidget>

#include "tests/support/common/Process.h"

#ifndef QP_QT_SUPPORT_TESTS
#error "QP_QT_SUPPORT_TESTS must name this test program"
#endif

namespace testsupport {
namespace {

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
