// The start-up's reading of failure numbers over SFTP: which refusals let the upload take another
// way, and which failures a later try may cure.
#include "uploader/FailureKinds.h"

#include <gtest/gtest.h>

#include "platform/inet/InternetApi.h"

namespace {

int32_t n(uint32_t code) { return static_cast<int32_t>(code); }

TEST(FailureKinds, SftpRefusalsAreTheServersAndARenameOverAnExistingFileIsANameRefusal) {
  for (const uint32_t code :
       {inet::kErrorSftpNoSuchFile, inet::kErrorSftpPermissionDenied, inet::kErrorSftpFailure,
        inet::kErrorSftpBadMessage, inet::kErrorSftpUnsupported}) {
    EXPECT_TRUE(IsServerRefusal(n(code))) << code;
  }
  // OpenSSH's and proftpd's answer to a rename over an existing file: delete, rename again.
  EXPECT_TRUE(IsNameRefusal(n(inet::kErrorSftpFailure)));
  EXPECT_TRUE(IsNameRefusal(n(inet::kErrorSftpPermissionDenied)));
  EXPECT_FALSE(IsNameRefusal(n(inet::kErrorSftpUnsupported)));
  // A dropped connection is no refusal of the server's.
  EXPECT_FALSE(IsServerRefusal(n(inet::kErrorInternetConnectionAborted)));
  EXPECT_FALSE(IsServerRefusal(n(inet::kErrorSshAuthenticationRefused)));
}

TEST(FailureKinds, ADroppedSshConnectionIsTransientARefusedLogInOrHostKeyNever) {
  EXPECT_TRUE(
      IsTransientFailure(ExitStatus::NotConnected, n(inet::kErrorInternetConnectionAborted)));
  EXPECT_TRUE(IsTransientFailure(ExitStatus::UploadFailed, n(inet::kErrorInternetTimeout)));
  for (const uint32_t code : {inet::kErrorSshHostKeyUnknown, inet::kErrorSshHostKeyChanged,
                              inet::kErrorSshAuthenticationRefused,
                              inet::kErrorSshNegotiationFailed, inet::kErrorSftpPermissionDenied}) {
    EXPECT_FALSE(IsTransientFailure(ExitStatus::NotConnected, n(code))) << code;
  }
}

}  // namespace
