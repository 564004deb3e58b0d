#include "tests/support/common/Process.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <sstream>

#include "tests/support/common/TempDir.h"
#include "tests/support/common/tests/ProcessProbe.h"

namespace testsupport {
namespace {

using namespace std::chrono_literals;

TEST(RunProcess, ReportsExitStatusAndBothOutputs) {
  ProcessResult r = RunProcess({"sh", "-c", "echo out; echo err >&2; exit 7"});
  EXPECT_EQ(r.exitCode, 7);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.out, "out\n");
  EXPECT_EQ(r.err, "err\n");
}

TEST(RunProcess, AppliesEnvironmentChangesAndWorkingFolder) {
  setenv("QP_RUNPROCESS_GONE", "still here", 1);
  TempDir dir;
  ProcessOptions options;
  options.unsetEnv = {"QP_RUNPROCESS_GONE"};
  options.setEnv = {{"QP_RUNPROCESS_NEW", "a b"}};
  options.workingDir = dir.path();
  ProcessResult r = RunProcess(
      {"sh", "-c", "echo \"[${QP_RUNPROCESS_GONE-unset}][$QP_RUNPROCESS_NEW]\"; pwd -P"}, options);
  unsetenv("QP_RUNPROCESS_GONE");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "[unset][a b]\n" + std::filesystem::canonical(dir.path()).string() + "\n");
}

TEST(RunProcess, HeadlessRemovesDisplayVariables) {
  ProcessOptions options = Headless();
  options.setEnv = {{"QP_MARK", "1"}};
  setenv("DISPLAY", ":99", 1);
  setenv("WAYLAND_DISPLAY", "wayland-9", 1);
  ProcessResult r = RunProcess(
      {"sh", "-c", "echo \"${DISPLAY-none} ${WAYLAND_DISPLAY-none} $QP_MARK\""}, options);
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  EXPECT_EQ(r.out, "none none 1\n");
}

TEST(RunProcess, KillsProcessGroupAtDeadline) {
  TempDir dir;
  ProcessOptions options;
  options.timeout = 300ms;
  // The background child keeps the pipes open; both must go when the deadline passes.
  ProcessResult r =
      RunProcess({"sh", "-c", "sleep 30 & echo $$ $! > " + dir.file("pids") + "; wait"}, options);
  EXPECT_TRUE(r.timedOut);
  EXPECT_EQ(r.exitCode, 128 + 9);
  std::istringstream pids(ReadFile(dir.file("pids")));
  pid_t shell = 0, child = 0;
  pids >> shell >> child;
  ASSERT_GT(child, 0);
  EXPECT_TRUE(GroupEnds(shell)) << "the background child survived";
  EXPECT_FALSE(ProcessRunning(child));
}

TEST(RunProcess, MissingProgramIsReportedNotRun) {
  ProcessResult r = RunProcess({"/nonexistent/qp-no-such-program"});
  EXPECT_EQ(r.exitCode, -1);
  EXPECT_NE(r.err.find("No such file"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace testsupport
