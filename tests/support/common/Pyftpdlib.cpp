// The pyftpdlib fixture: runs pyftpd_server.py.
#include "tests/support/common/FtpServers.h"
#include "tests/support/common/ServerStart.h"

#ifndef QP_TEST_SUPPORT_DIR
#error "QP_TEST_SUPPORT_DIR must name the folder of pyftpd_server.py"
#endif

namespace testsupport {

std::unique_ptr<FtpServer> StartPyftpdlib(const PyftpdlibOptions& o) {
  auto server =
      std::make_unique<detail::PythonServer>(o.ipv6 ? "::1" : "127.0.0.1", "tester", "t3st-Pass");
  std::vector<std::string> arguments = {"--host", server->host(), "--root",     server->root(),
                                        "--user", server->user(), "--password", server->password()};
  if (!o.tlsCertificate.empty()) arguments.insert(arguments.end(), {"--tls", o.tlsCertificate});
  return detail::StartPythonServer(std::move(server),
                                   std::string(QP_TEST_SUPPORT_DIR) + "/pyftpd_server.py",
                                   std::move(arguments));
}

}  // namespace testsupport
