// RunProcess as the program tests read it: a crash or a passed deadline must never look like a
// clean exit, and the two output streams must not mix.
#include "tests/support/common/Process.h"

#include <gtest/gtest.h>
#include <signal.h>

namespace testsupport {
namespace {

TEST(RunProcess, ReportsExitStatusSignalsAndDeadlinesApart) {
  ProcessResult r = RunProcess({"sh", "-c", "echo out; echo err >&2; exit 7"});
  EXPECT_EQ(r.exitCode, 7);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.out, "out\n");
  EXPECT_EQ(r.err, "err\n");
  r = RunProcess({"sh", "-c", "kill -SEGV $$"});
  EXPECT_EQ(r.exitCode, 128 + SIGSEGV);
  ProcessOptions shortDeadline;
  shortDeadline.timeout = std::chrono::milliseconds(200);
  r = RunProcess({"sleep", "30"}, shortDeadline);
  EXPECT_TRUE(r.timedOut);
  EXPECT_EQ(r.exitCode, 128 + SIGKILL);
}

}  // namespace
}  // namespace testsupport
