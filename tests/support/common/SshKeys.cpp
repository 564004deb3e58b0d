// Client key pairs for the SSH tests, made with OpenSSH's ssh-keygen.
#include <gtest/gtest.h>

#include <atomic>

#include "tests/support/common/Process.h"
#include "tests/support/common/SshServers.h"

namespace testsupport {

ClientKey MakeClientKey(const TempDir& folder, const std::string& type,
                        const std::string& passphrase) {
  static std::atomic<int> counter{0};
  ClientKey key;
  key.privateKey = folder.file("id_" + type + "_" + std::to_string(++counter));
  const ProcessResult made = RunProcess(
      {"ssh-keygen", "-q", "-t", type, "-N", passphrase, "-C", "qp-test", "-f", key.privateKey});
  EXPECT_EQ(made.exitCode, 0) << made.err;
  key.publicLine = ReadFile(key.privateKey + ".pub");
  return key;
}

}  // namespace testsupport
