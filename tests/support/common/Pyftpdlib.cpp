// The pyftpdlib fixture: runs pyftpd_server.py.
#include <filesystem>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/ServerStart.h"

#ifndef QP_TEST_SUPPORT_DIR
#error "QP_TEST_SUPPORT_DIR must name the folder of pyftpd_server.py"
#endif

namespace testsupport {

std::unique_ptr<FtpServer> StartPyftpdlib(const PyftpdlibOptions& o) {
  auto server =
      std::make_unique<detail::PythonServer>(o.ipv6 ? "::1" : "127.0.0.1", o.user, o.password);
  std::vector<std::string> arguments = {"--host", server->host(), "--root",     server->root(),
                                        "--user", o.user,         "--password", o.password};
  if (o.anonymous) arguments.push_back("--anonymous");
  if (o.anonymousWrite) arguments.push_back("--anonymous-write");
  if (!o.tlsCertificate.empty()) arguments.insert(arguments.end(), {"--tls", o.tlsCertificate});
  for (const auto& folder : o.readOnlyFolders) {
    std::error_code ec;
    std::filesystem::create_directories(server->root() + "/" + folder, ec);
    arguments.insert(arguments.end(), {"--read-only", folder});
  }
  return detail::StartPythonServer(std::move(server),
                                   std::string(QP_TEST_SUPPORT_DIR) + "/pyftpd_server.py",
                                   std::move(arguments));
}

}  // namespace testsupport
