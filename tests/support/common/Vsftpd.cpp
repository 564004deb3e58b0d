#include "tests/support/common/FtpServers.h"
#include "tests/support/common/ServerStart.h"

namespace testsupport {
std::unique_ptr<FtpServer> StartVsftpd(const VsftpdOptions&) {
  detail::setStartFailure("the vsftpd fixture is not implemented yet");
  return nullptr;
}
}  // namespace testsupport
