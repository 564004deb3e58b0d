// The certificates of the TLS tests: made on first use into a folder that lives as long as the
// test program.
#include <gtest/gtest.h>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/Process.h"

namespace testsupport {

std::string TestCertificate(const std::string& name) {
  static const TempDir folder;  // removed when the program ends
  static const bool made = [] {
    const ProcessResult result = RunProcess(
        {std::string(QP_TEST_SUPPORT_DIR) + "/make_test_certificates.sh", folder.path()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.exitCode == 0;
  }();
  return made ? folder.file(name) : std::string();
}

}  // namespace testsupport
