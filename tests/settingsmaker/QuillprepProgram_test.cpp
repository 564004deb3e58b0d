// The built Quillprep's command line: --help and --version answer without a display and
// without opening a window; anything else is refused.
#include <gtest/gtest.h>

#include "tests/support/common/Process.h"

#ifndef QP_QUILLPREP
#error "QP_QUILLPREP must name the built Quillprep"
#endif

namespace settingsmakertest {
namespace {

TEST(QuillprepProgram, HelpAndVersionPrintWithoutADisplayAndOtherArgumentsAreRefused) {
  testsupport::ProcessOptions headless = testsupport::Headless();
  headless.unsetEnv.push_back("QT_QPA_PLATFORM");
  testsupport::ProcessResult result =
      testsupport::RunProcess({QP_QUILLPREP, "--version"}, headless);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "Quillprep 1.0\n");
  result = testsupport::RunProcess({QP_QUILLPREP, "--help"}, headless);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out.rfind("usage: Quillprep [--help | --version]\n", 0), 0u) << result.out;
  result = testsupport::RunProcess({QP_QUILLPREP, "-platform", "offscreen"}, headless);
  EXPECT_EQ(result.exitCode, 64);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "Quillprep: unknown argument \"-platform\"; usage: Quillprep [--help | --version]\n");
}

}  // namespace
}  // namespace settingsmakertest
